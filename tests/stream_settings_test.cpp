#include "stream_settings.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using pa18::ChooseOutputLatency;
using pa18::ParseWholeNumber;

TEST(StreamSettings, OnlyPlainWholeNumbersCount)
{
    EXPECT_EQ(ParseWholeNumber("0"), 0ul);
    EXPECT_EQ(ParseWholeNumber("42"), 42ul);
    EXPECT_EQ(ParseWholeNumber("007"), 7ul);
    EXPECT_EQ(ParseWholeNumber("2147483647"), 2147483647ul);
    for (const char* bad : {static_cast<const char*>(nullptr), "", "-1", "+1", " 1", "1 ", "1.5", "0x10", "abc",
                            "2147483648", "99999999999999999999"})
        EXPECT_EQ(ParseWholeNumber(bad), std::nullopt) << (bad ? bad : "(null)");
}

TEST(StreamSettings, LatencyIsOurDefaultRaisedByAValidFloor)
{
    const double ours = ChooseOutputLatency(0, 1, 96000, nullptr);
    EXPECT_DOUBLE_EQ(ours, 0.2);
    // The classic interface's explicit buffering still means what it meant.
    EXPECT_DOUBLE_EQ(ChooseOutputLatency(4, 1024, 48000, nullptr), 4.0 * 1024 / 48000);
    EXPECT_DOUBLE_EQ(ChooseOutputLatency(0, 1, 96000, "350"), 0.35);
    EXPECT_DOUBLE_EQ(ChooseOutputLatency(0, 1, 96000, "150"), ours) << "a floor never lowers";
    for (const char* ignored : {"0", "-300", "300ms", "", " 300"})
        EXPECT_DOUBLE_EQ(ChooseOutputLatency(0, 1, 96000, ignored), ours) << ignored;
}

} // namespace
