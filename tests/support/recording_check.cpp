#include "recording_check.h"

#include "expected_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <unordered_map>

namespace testsupport {

namespace {

std::uint32_t Bits(float x)
{
    return std::bit_cast<std::uint32_t>(x);
}

bool Silent(float sample, float tolerance)
{
    return std::fabs(sample) <= tolerance;
}

bool Matches(float sample, float want, float tolerance)
{
    if (tolerance == 0.0f)
        return Bits(sample) == Bits(want);
    return std::fabs(sample - want) <= tolerance;
}

// The index after the run of silence at recording[i]. Where the tone went on
// with zeros of its own, the run took them in at its end, and they were
// matched at its start.
std::size_t AfterSilence(const std::vector<float>& recording, std::size_t i, std::size_t end, float tolerance)
{
    while (i < end && Silent(recording[i], tolerance))
        ++i;
    return i;
}

// Whether recording[i ..] is the table from its sample k, as far as `count`
// samples of it go.
bool Continues(const std::vector<float>& recording, std::size_t i, std::size_t end, const std::vector<float>& table,
               std::size_t k, float tolerance, std::size_t count)
{
    for (std::size_t j = 0; j < count && i + j < end; ++j)
        if (!Matches(recording[i + j], table[(k + j) % table.size()], tolerance))
            return false;
    return true;
}

} // namespace

ToneSpan FindTone(const std::vector<float>& recording, float tolerance)
{
    const std::size_t first = AfterSilence(recording, 0, recording.size(), tolerance);
    if (first == recording.size())
        return {};
    std::size_t last = recording.size();
    while (Silent(recording[last - 1], tolerance))
        --last;
    ToneSpan span{true, first > 0 ? first - 1 : 0, last, 0};
    for (std::size_t i = first; i < last; ++i) {
        const std::size_t after = AfterSilence(recording, i, last, tolerance);
        span.gaps += after - i >= kGapSamples;
        i = after;
    }
    return span;
}

std::string CompareWithTable(const std::vector<float>& recording, const ToneSpan& span, const std::vector<float>& table,
                             float tolerance, std::size_t insertedSilence)
{
    if (!span.found)
        return "no tone in the recording";
    if (!Silent(recording[span.begin], tolerance))
        return "the tone does not start on a zero sample";
    std::size_t k = 0; // the tone's sample that recording[i] must be
    for (std::size_t i = span.begin; i < span.end;) {
        const float want = table[k % table.size()];
        if (Matches(recording[i], want, tolerance)) {
            ++i;
            ++k;
            continue;
        }
        const std::size_t after = AfterSilence(recording, i, span.end, tolerance);
        if (after > i && after - i <= insertedSilence) {
            i = after;
            continue;
        }
        std::ostringstream out;
        out << "sample " << k << " of the tone is " << recording[i] << ", table has " << want;
        if (after > i)
            out << ", the first of " << after - i << " samples of silence";
        return out.str();
    }
    return {};
}

std::string ToneMismatch(const std::vector<float>& recording, std::uint32_t frequency, std::uint32_t rate,
                         float tolerance, std::size_t insertedSilence)
{
    return CompareWithTable(recording, FindTone(recording, tolerance), ExpectedTable(frequency, rate), tolerance,
                            insertedSilence);
}

Restart FindRestart(const std::vector<float>& recording, const ToneSpan& whole, const std::vector<float>& table,
                    float tolerance, std::size_t insertedSilence, std::size_t notBefore)
{
    // Enough samples to tell the table at one phase from another, bar the
    // phases at which it repeats itself.
    constexpr std::size_t kConfirm = 64;
    std::size_t cut = whole.begin;
    std::size_t k = 0;
    while (cut < whole.end) {
        if (Matches(recording[cut], table[k % table.size()], tolerance)) {
            ++cut;
            ++k;
            continue;
        }
        const std::size_t next = AfterSilence(recording, cut, whole.end, tolerance);
        if (next == cut || next - cut > insertedSilence)
            break;
        // Silence after which the second tone starts is the restart, once
        // the second click can have caused it; silence after which the first
        // tone carries on was inserted.
        const bool restarts =
            cut >= notBefore && Continues(recording, next - 1, whole.end, table, 0, tolerance, kConfirm);
        if (restarts || !Continues(recording, next, whole.end, table, k, tolerance, kConfirm))
            break;
        cut = next;
    }
    if (cut >= whole.end)
        return {};
    return {true, cut, AfterSilence(recording, cut, whole.end, tolerance) - 1};
}

TableFollow FollowTable(const std::vector<float>& rec, const std::vector<float>& table)
{
    // Long enough that a phase found through one sample is the phase, not a
    // near twin of it.
    constexpr std::size_t kConfirm = 32;
    TableFollow f{FindTone(rec), 0, {}};
    if (!f.tone.found || table.empty())
        return f;
    const std::size_t n = table.size();
    const std::size_t end = f.tone.end;
    std::unordered_multimap<std::uint32_t, std::size_t> phases;
    for (std::size_t p = 0; p < n; ++p)
        phases.emplace(Bits(table[p]), p);
    // The table phase that rec[i ..] continues, if any.
    const auto find = [&](std::size_t i, std::size_t& phase) {
        const auto [lo, hi] = phases.equal_range(Bits(rec[i]));
        const auto it = std::find_if(
            lo, hi, [&](const auto& p) { return Continues(rec, i, end, table, p.second, 0.0f, kConfirm); });
        phase = it != hi ? it->second : phase;
        return it != hi;
    };

    // From the table's sample 0 on the tone's first sample: a tone that
    // starts anywhere else departs from the table there.
    std::size_t i = f.tone.begin;
    std::size_t k = 0;
    while (i < end) {
        if (Matches(rec[i], table[k], 0.0f)) {
            ++f.matched;
            ++i;
            k = k + 1 == n ? 0 : k + 1;
            continue;
        }
        const std::size_t at = i - f.tone.begin;
        std::size_t phase = k;
        if (rec[i] == 0.0f) {
            // Whether the table carries on at k after the silence is the next
            // comparison's business; a jump there becomes its own event.
            const std::size_t after = AfterSilence(rec, i, end, 0.0f);
            f.events.push_back({TableEvent::Silence, at, after - i});
            i = after;
        } else if (find(i, phase)) {
            const std::size_t d = (phase + n - k) % n;
            f.events.push_back(d <= n / 2 ? TableEvent{TableEvent::Skip, at, d}
                                          : TableEvent{TableEvent::Repeat, at, n - d});
        } else {
            const std::size_t from = i;
            while (i < end && rec[i] != 0.0f && !find(i, phase))
                ++i;
            f.events.push_back({TableEvent::Foreign, at, i - from});
        }
        k = phase;
    }
    return f;
}

void ExpectRestartKeptTheFirstDeadline(const std::vector<float>& recording, std::uint32_t frequency, std::uint32_t rate,
                                       std::size_t firstClick, std::size_t secondClick, double deadlineSeconds,
                                       float tolerance, double deadlineTolerance, double restartSeconds,
                                       std::size_t insertedSilence)
{
    // How far before its dated click the first tone may stop: the click is
    // dated by the sink's blocks.
    constexpr double kEarlyStop = 0.03;
    const ToneSpan whole = FindTone(recording, tolerance);
    ASSERT_TRUE(whole.found);
    const std::vector<float> table = ExpectedTable(frequency, rate);
    const auto early = static_cast<std::size_t>(kEarlyStop * rate);
    const Restart r =
        FindRestart(recording, whole, table, tolerance, insertedSilence, secondClick > early ? secondClick - early : 0);
    ASSERT_TRUE(r.found) << "the tone never restarted";
    EXPECT_EQ(CompareWithTable(recording, {true, r.restart, whole.end}, table, tolerance, insertedSilence), "");

    const auto seconds = [rate](std::size_t from, std::size_t to) {
        return (static_cast<double>(to) - static_cast<double>(from)) / rate;
    };
    EXPECT_GE(seconds(secondClick, r.cut), -kEarlyStop) << "the first tone stopped before the second click";
    EXPECT_LT(seconds(secondClick, r.restart), restartSeconds) << "the second click did not restart the tone";
    EXPECT_NEAR(seconds(firstClick, whole.end), deadlineSeconds, deadlineTolerance) << "the deadline moved";
}

} // namespace testsupport
