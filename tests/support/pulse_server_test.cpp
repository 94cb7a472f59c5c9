// What the audio tests rely on and might pass without, were it lost: a
// recording that is a real-time timeline. (A server that cannot be reached,
// a kill that leaves it running or a revival without its sinks, and samples
// that do not arrive bit for bit, fail the audio tests.)
#include "pulse_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

using namespace std::chrono_literals;

TEST(PulseServerTest, RecordsSilenceInRealTime)
{
    constexpr unsigned kRate = 48000;
    testsupport::PulseServer server;
    ASSERT_TRUE(server.Start()) << server.Error();
    ASSERT_TRUE(server.UseRate(kRate)) << server.Error();
    const std::size_t want = kRate * 3 / 10;
    const auto start = std::chrono::steady_clock::now();
    server.StartRecording();
    ASSERT_TRUE(server.WaitForRecorded(want, 5s)) << "only " << server.RecordedCount();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const std::vector<float> rec = server.StopRecording();
    EXPECT_TRUE(std::all_of(rec.begin(), rec.end(), [](float s) { return s == 0.0f; }));
    // A sink paced by the pipe instead of the clock would deliver 0.3 s of
    // audio in no time. Lower bound only: a loaded machine just makes it later.
    // The slack covers the sink's ~21 ms buffer already in the FIFO.
    EXPECT_GE(elapsed, 200ms);
}

} // namespace
