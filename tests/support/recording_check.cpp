#include "recording_check.h"

#include "expected_table.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <sstream>

namespace testsupport {

ToneSpan FindTone(const std::vector<float>& recording)
{
    ToneSpan span;
    std::size_t first = 0;
    while (first < recording.size() && recording[first] == 0.0f)
        ++first;
    if (first == recording.size())
        return span;
    std::size_t last = recording.size();
    while (last > first && recording[last - 1] == 0.0f)
        --last;
    span.found = true;
    span.begin = first > 0 ? first - 1 : 0;
    span.end = last;
    return span;
}

std::string CompareWithTable(const std::vector<float>& recording, const ToneSpan& span, const std::vector<float>& table)
{
    if (!span.found)
        return "no tone in the recording";
    if (recording[span.begin] != 0.0f)
        return "the tone does not start on a zero sample";
    for (std::size_t i = span.begin; i < span.end; ++i) {
        const float want = table[(i - span.begin) % table.size()];
        if (std::bit_cast<std::uint32_t>(recording[i]) != std::bit_cast<std::uint32_t>(want)) {
            std::ostringstream out;
            out << "sample " << (i - span.begin) << " of the tone is " << recording[i] << ", table has " << want;
            return out.str();
        }
    }
    return {};
}

Restart FindRestart(const std::vector<float>& recording, const ToneSpan& whole, const std::vector<float>& table)
{
    Restart r;
    std::size_t cut = whole.begin;
    while (cut < whole.end && recording[cut] == table[(cut - whole.begin) % table.size()])
        ++cut;
    if (cut >= whole.end)
        return r;
    std::size_t next = cut;
    while (next < whole.end && recording[next] == 0.0f)
        ++next;
    r.found = true;
    r.cut = cut;
    r.restart = next - 1;
    return r;
}

void ExpectRestartKeptTheFirstDeadline(const std::vector<float>& recording, std::uint32_t frequency, std::uint32_t rate,
                                       std::size_t firstClick, std::size_t secondClick, double deadlineSeconds,
                                       double restartSeconds)
{
    const ToneSpan whole = FindTone(recording);
    ASSERT_TRUE(whole.found);
    const std::vector<float> table = ExpectedTable(frequency, rate);
    const Restart r = FindRestart(recording, whole, table);
    ASSERT_TRUE(r.found) << "the tone never restarted";
    EXPECT_EQ(CompareWithTable(recording, {true, r.restart, whole.end}, table), "");

    const auto seconds = [rate](std::size_t from, std::size_t to) {
        return (static_cast<double>(to) - static_cast<double>(from)) / rate;
    };
    EXPECT_GE(seconds(secondClick, r.cut), -0.03) << "the first tone stopped before the second click";
    EXPECT_LT(seconds(secondClick, r.restart), restartSeconds) << "the second click did not restart the tone";
    EXPECT_NEAR(seconds(firstClick, whole.end), deadlineSeconds, 0.1) << "the deadline moved";
}

} // namespace testsupport
