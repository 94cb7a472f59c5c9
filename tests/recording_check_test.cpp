#include "expected_table.h"
#include "recording_check.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

using testsupport::CompareWithTable;
using testsupport::ExpectedTable;
using testsupport::FindRestart;
using testsupport::FindTone;
using testsupport::FollowTable;
using testsupport::TableEvent;

// A few 16-bit steps, as for a path that converts to 16 bits.
constexpr float kTolerance = 4.0f / 32768.0f;
constexpr std::size_t kLead = 100; // silence before the tone

// Recordings made of pieces: `n` samples of the table (or another) from
// `from`, or `n` samples of silence.
class Recording {
  public:
    explicit Recording(const std::vector<float>& table) : m_table(table), m_samples(kLead, 0.0f) {}
    Recording& Tone(std::size_t from, std::size_t n, const std::vector<float>* other = nullptr)
    {
        const std::vector<float>& table = other != nullptr ? *other : m_table;
        for (std::size_t i = 0; i < n; ++i)
            m_samples.push_back(table[(from + i) % table.size()]);
        return *this;
    }
    Recording& Silence(std::size_t n)
    {
        m_samples.insert(m_samples.end(), n, 0.0f);
        return *this;
    }
    const std::vector<float>& Samples() const { return m_samples; }

  private:
    const std::vector<float>& m_table;
    std::vector<float> m_samples;
};

std::string Compare(const Recording& r, const std::vector<float>& table, std::size_t insertedSilence)
{
    return CompareWithTable(r.Samples(), FindTone(r.Samples(), kTolerance), table, kTolerance, insertedSilence);
}

// Silence inside a tone passes up to the longest allowed, and only where the
// table carries on after it exactly where it stopped.
TEST(RecordingCheck, InsertedSilencePassesOnlyUpToTheLongestAndWhereTheTableCarriesOn)
{
    const auto table = ExpectedTable(1000, 22050);
    Recording r(table);
    r.Tone(0, 3000).Silence(1575).Tone(3000, 5000).Silence(441).Tone(8000, 2000).Silence(300);
    EXPECT_EQ(Compare(r, table, 1575), "");
    EXPECT_EQ(Compare(r, table, 1574), "sample 3000 of the tone is 0, table has 0.335317, the first of 1575 samples of "
                                       "silence");
    EXPECT_NE(Compare(r, table, 0), "");

    for (const std::size_t resumeAt : {3010u, 2990u}) { // samples lost, samples repeated
        Recording gap(table);
        gap.Tone(0, 3000).Silence(500).Tone(resumeAt, 3000);
        EXPECT_NE(Compare(gap, table, 22050), "") << "resumed at " << resumeAt;
    }
}

TEST(RecordingCheck, SilenceInsertedBeforeTheTablesOwnZeroPasses)
{
    // At 1000 Hz and 8000 Hz every fourth sample of the table is a zero, so
    // the silence runs on into the tone's own.
    const auto table = ExpectedTable(1000, 8000);
    Recording r(table);
    r.Tone(0, 404).Silence(200).Tone(404, 1000);
    EXPECT_EQ(Compare(r, table, 201), "");
    EXPECT_EQ(Compare(r, table, 0).substr(0, 11), "sample 405 ");
}

TEST(RecordingCheck, RestartIsFoundPastSilenceInsertedBeforeAndAfterIt)
{
    // 997 Hz, whose samples do not repeat within the second: the first tone
    // going on after silence cannot look like the second starting.
    const auto table = ExpectedTable(997, 22050);
    Recording r(table);
    r.Tone(0, 5000).Silence(800).Tone(5000, 10000).Silence(2000).Tone(0, 7000).Silence(600).Tone(7000, 4000);
    const auto& samples = r.Samples();
    const auto whole = FindTone(samples, kTolerance);
    const std::size_t cut = kLead + 5000 + 800 + 10000;
    // Early enough that the first silence could have been the restart.
    const std::size_t click = kLead + 2000;

    const auto allowed = FindRestart(samples, whole, table, kTolerance, 1000, click);
    ASSERT_TRUE(allowed.found);
    EXPECT_EQ(allowed.cut, cut);
    EXPECT_EQ(allowed.restart, cut + 2000);
    EXPECT_EQ(CompareWithTable(samples, {true, allowed.restart, whole.end}, table, kTolerance, 1000), "");

    const auto strict = FindRestart(samples, whole, table, kTolerance);
    ASSERT_TRUE(strict.found);
    EXPECT_EQ(strict.cut, kLead + 5000) << "without it, the first silence is the cut";
}

TEST(RecordingCheck, FollowTableNamesEveryDepartureAndPicksThePhaseUpAgain)
{
    const auto table = ExpectedTable(997, 22050);
    const auto other = ExpectedTable(1500, 22050);
    Recording r(table);
    r.Tone(0, 3000).Silence(100).Tone(3000, 1000).Tone(4100, 1000).Tone(5050, 1000);
    r.Tone(500, 40, &other).Tone(6090, 2000).Silence(200);
    const auto f = FollowTable(r.Samples(), table);
    ASSERT_TRUE(f.tone.found);
    EXPECT_EQ(f.tone.end - f.tone.begin, 8140u);
    EXPECT_EQ(f.matched, 8000u);
    const std::vector<TableEvent> events = {{TableEvent::Silence, 3000, 100},
                                            {TableEvent::Skip, 4100, 100},
                                            {TableEvent::Repeat, 5100, 50},
                                            {TableEvent::Foreign, 6100, 40}};
    EXPECT_EQ(f.events, events);

    // Only a recording that begins inside the tone can show its sample 0 missing.
    const auto g = FollowTable({table.begin() + 1, table.begin() + 501}, table);
    EXPECT_EQ(g.matched, 500u);
    EXPECT_EQ(g.events, (std::vector<TableEvent>{{TableEvent::Skip, 0, 1}}));
}

} // namespace
