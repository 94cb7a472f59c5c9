// The private sound server gives the audio tests what they rely on: an
// address exported while it runs and gone after, a kill that leaves clients
// facing nothing, one sink per rate, and a recording that is a real-time
// timeline. That the samples arrive bit for bit, the audio suites show with
// every table they compare.
#include "pulse_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
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

TEST_F(PulseServerTest, StartExportsServerAndStopCleansUp)
{
    const std::string dir = server_.Dir();
    ASSERT_TRUE(server_.Running());
    ASSERT_NE(std::getenv("PULSE_SERVER"), nullptr);
    EXPECT_EQ(std::string(std::getenv("PULSE_SERVER")), "unix:" + dir + "/native");
    ASSERT_NE(std::getenv("PULSE_CLIENTCONFIG"), nullptr);
    std::string info;
    ASSERT_TRUE(server_.Pactl({"info"}, &info)) << server_.Error();
    EXPECT_NE(info.find("Server Version"), std::string::npos) << info;

    server_.Stop();
    EXPECT_FALSE(server_.Running());
    EXPECT_EQ(std::getenv("PULSE_SERVER"), nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir));
}

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

TEST_F(PulseServerTest, SwitchingBackToARateReusesItsSink)
{
    ASSERT_TRUE(server_.UseRate(48000)) << server_.Error();
    ASSERT_TRUE(server_.UseRate(8000)) << server_.Error();
    ASSERT_TRUE(server_.UseRate(48000)) << server_.Error();
    EXPECT_EQ(server_.Rate(), 48000u);
    std::string modules, info;
    ASSERT_TRUE(server_.Pactl({"list", "short", "modules"}, &modules)) << server_.Error();
    std::size_t pipe_sinks = 0;
    for (std::size_t at = 0; (at = modules.find("module-pipe-sink", at)) != std::string::npos; ++at)
        ++pipe_sinks;
    EXPECT_EQ(pipe_sinks, 2u) << modules;
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
