#include "recording_check.h"

#include "expected_table.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <sstream>

namespace testsupport {

namespace {

bool Silent(float sample, float tolerance)
{
    return std::fabs(sample) <= tolerance;
}

bool Matches(float sample, float want, float tolerance)
{
    if (tolerance == 0.0f)
        return std::bit_cast<std::uint32_t>(sample) == std::bit_cast<std::uint32_t>(want);
    return std::fabs(sample - want) <= tolerance;
}

} // namespace

ToneSpan FindTone(const std::vector<float>& recording, float tolerance)
{
    ToneSpan span;
    std::size_t first = 0;
    while (first < recording.size() && Silent(recording[first], tolerance))
        ++first;
    if (first == recording.size())
        return span;
    std::size_t last = recording.size();
    while (last > first && Silent(recording[last - 1], tolerance))
        --last;
    span.found = true;
    span.begin = first > 0 ? first - 1 : 0;
    span.end = last;
    std::size_t silent = 0;
    for (std::size_t i = first; i < last; ++i) {
        if (Silent(recording[i], tolerance)) {
            ++silent;
            continue;
        }
        span.gaps += silent >= kGapSamples;
        silent = 0;
    }
    return span;
}

std::string CompareWithTable(const std::vector<float>& recording, const ToneSpan& span, const std::vector<float>& table,
                             float tolerance)
{
    if (!span.found)
        return "no tone in the recording";
    if (!Silent(recording[span.begin], tolerance))
        return "the tone does not start on a zero sample";
    for (std::size_t i = span.begin; i < span.end; ++i) {
        const float want = table[(i - span.begin) % table.size()];
        if (!Matches(recording[i], want, tolerance)) {
            std::ostringstream out;
            out << "sample " << (i - span.begin) << " of the tone is " << recording[i] << ", table has " << want;
            return out.str();
        }
    }
    return {};
}

std::string ToneMismatch(const std::vector<float>& recording, std::uint32_t frequency, std::uint32_t rate,
                         float tolerance)
{
    return CompareWithTable(recording, FindTone(recording, tolerance), ExpectedTable(frequency, rate), tolerance);
}

Restart FindRestart(const std::vector<float>& recording, const ToneSpan& whole, const std::vector<float>& table,
                    float tolerance)
{
    Restart r;
    std::size_t cut = whole.begin;
    while (cut < whole.end && Matches(recording[cut], table[(cut - whole.begin) % table.size()], tolerance))
        ++cut;
    if (cut >= whole.end)
        return r;
    std::size_t next = cut;
    while (next < whole.end && Silent(recording[next], tolerance))
        ++next;
    r.found = true;
    r.cut = cut;
    r.restart = next - 1;
    return r;
}

void ExpectRestartKeptTheFirstDeadline(const std::vector<float>& recording, std::uint32_t frequency, std::uint32_t rate,
                                       std::size_t firstClick, std::size_t secondClick, double deadlineSeconds,
                                       float tolerance, double deadlineTolerance, double restartSeconds)
{
    const ToneSpan whole = FindTone(recording, tolerance);
    ASSERT_TRUE(whole.found);
    const std::vector<float> table = ExpectedTable(frequency, rate);
    const Restart r = FindRestart(recording, whole, table, tolerance);
    ASSERT_TRUE(r.found) << "the tone never restarted";
    EXPECT_EQ(CompareWithTable(recording, {true, r.restart, whole.end}, table, tolerance), "");

    const auto seconds = [rate](std::size_t from, std::size_t to) {
        return (static_cast<double>(to) - static_cast<double>(from)) / rate;
    };
    EXPECT_GE(seconds(secondClick, r.cut), -0.03) << "the first tone stopped before the second click";
    EXPECT_LT(seconds(secondClick, r.restart), restartSeconds) << "the second click did not restart the tone";
    EXPECT_NEAR(seconds(firstClick, whole.end), deadlineSeconds, deadlineTolerance) << "the deadline moved";
}

} // namespace testsupport
