// What the audio tests rely on and might pass without, were it lost: a
// kill that leaves clients facing nothing, and a recording that is a
// real-time timeline. (A server that cannot be reached, or samples that do
// not arrive bit for bit, fail every audio test.)
#include "pulse_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

using testsupport::PulseServer;
using namespace std::chrono_literals;

class PulseServerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server_.Start()) << server_.Error(); }

    PulseServer server_;
};

TEST_F(PulseServerTest, KillLeavesServerGoneAndReviveBringsItsSinksBack)
{
    ASSERT_TRUE(server_.UseRate(48000)) << server_.Error();
    server_.Kill();
    EXPECT_FALSE(server_.Running());
    EXPECT_FALSE(server_.Pactl({"info"}));
    EXPECT_FALSE(server_.UseRate(48000));
    ASSERT_TRUE(server_.Revive()) << server_.Error();
    std::string info;
    ASSERT_TRUE(server_.Pactl({"info"}, &info)) << server_.Error();
    EXPECT_NE(info.find("Default Sink: tonegen_test_48000"), std::string::npos) << info;
}

TEST_F(PulseServerTest, RecordsSilenceInRealTime)
{
    constexpr unsigned kRate = 48000;
    ASSERT_TRUE(server_.UseRate(kRate)) << server_.Error();
    const std::size_t want = kRate * 3 / 10;
    const auto start = std::chrono::steady_clock::now();
    server_.StartRecording();
    ASSERT_TRUE(server_.WaitForRecorded(want, 5s)) << "only " << server_.RecordedCount();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const std::vector<float> rec = server_.StopRecording();
    EXPECT_TRUE(std::all_of(rec.begin(), rec.end(), [](float s) { return s == 0.0f; }));
    // A sink paced by the pipe instead of the clock would deliver 0.3 s of
    // audio in no time. Lower bound only: a loaded machine just makes it later.
    // The slack covers the sink's ~21 ms buffer already in the FIFO.
    EXPECT_GE(elapsed, 200ms);
}

} // namespace
