#pragma once

// What the benchmarks that run players as child processes share (the child
// itself is testsupport::ChildProcess): where a player built beside them
// lies, a log per run, figures a player prints read back out of its log, and
// medians over several runs.

#include <cmath>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bench {

// The path of a player built beside this program; empty when it is not
// there, which is reported on stderr with `hint` on what to build.
std::string ProgramBeside(const char* name, const char* hint);

// Where the child's output goes: a fresh file for the run, in the sound
// route's temp dir, so a failed run's output can still be shown afterwards.
std::string ChildLogPath(const std::string& dir, const char* tool, int index);

// The number printed right after `key` in a child's log; -1 when absent.
long long LogField(const std::string& log, std::string_view key);

// Odd counts take the middle value, even counts the mean of the two middle
// ones; NaN when there is nothing to take it from.
double Median(std::vector<double> v);

// A figure a run could not give is NaN and left out, as is every run `keep`
// turns down.
template <typename Run, typename Field, typename Keep>
double Median(const std::vector<Run>& runs, Field field, Keep keep)
{
    std::vector<double> v;
    for (const auto& r : runs) {
        if (!keep(r))
            continue;
        if (const double x = static_cast<double>(field(r)); !std::isnan(x))
            v.push_back(x);
    }
    return Median(std::move(v));
}

template <typename Run, typename Field> double Median(const std::vector<Run>& runs, Field field)
{
    return Median(runs, field, [](const Run&) { return true; });
}

} // namespace bench
