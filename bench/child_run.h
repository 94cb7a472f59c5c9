#pragma once

// What bench_compare_tools needs to run each player as a child process: its
// output kept in a log rather than mixed into the table, its CPU time and
// peak memory from wait4, figures it prints read back out of that log, and
// where its tone lies in the sink's recording; and the medians every
// benchmark takes over several runs.

#include <sys/resource.h>
#include <sys/types.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bench {

// The path of a player built beside this program; empty when it is not
// there, which is reported on stderr with `hint` on what to build.
std::string ProgramBeside(const char* name, const char* hint);

// Where the child's output goes: one file a run, in the sound server's temp
// dir, so a failed run's output can still be shown afterwards.
std::string ChildLogPath(const std::string& dir, const char* tool, int index);

// The whole of a file; empty when it cannot be read.
std::string ReadAll(const std::string& path);

// The number printed right after `key` in a child's log; -1 when absent.
long long LogField(const std::string& log, std::string_view key);

struct ChildExit {
    int status = 0;
    rusage usage{};

    double CpuSeconds() const;
    long PeakRssKb() const { return usage.ru_maxrss; }
};

// Split in two so the caller can put its clock readings and recording right
// around the fork itself: opening the log and building argv happen before.
class Child {
  public:
    Child(const std::vector<std::string>& argv, const std::string& logPath);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // False when fork failed; that is reported on stderr.
    bool Launch();
    pid_t Pid() const { return pid_; }
    // Retries when a signal interrupts the wait.
    ChildExit Wait() const;

  private:
    // Built before fork: another thread (a recorder) may hold the allocator's
    // lock at that moment, and the child must not allocate.
    std::vector<char*> argv_;
    int logFd_ = -1;
    pid_t pid_ = -1;
};

// A sine at these rates never holds exactly 0 for more than one sample, so a
// run of this many zeros inside the tone means the sink was starved: the
// stream underflowed somewhere on its way there.
constexpr std::size_t kDropoutSamples = 4;

struct ToneSpan {
    bool found = false;       // any non-zero sample at all
    std::size_t begin = 0;    // recording index of the first non-zero sample
    std::size_t end = 0;      // one past the last
    std::size_t dropouts = 0; // silent stretches between the two
};

ToneSpan FindTone(const std::vector<float>& rec);

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
