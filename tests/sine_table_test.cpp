#include "alloc_counter.h"
#include "sine_table.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr std::array<std::uint32_t, 8> kRates{8000, 11025, 22050, 44100, 48000, 64000, 88200, 96000};

// The table as its definition reads, written out independently: the step
// (f * pi) * 2 / R in double, each sample sin(i * step) rounded to float.
std::vector<float> Expected(std::uint32_t f, std::uint32_t rate)
{
    const double pi = 2.0 * std::asin(1.0);
    const double fd = f;
    const double rd = rate;
    std::vector<float> v(rate);
    for (std::uint32_t i = 0; i < rate; ++i)
        v[i] = static_cast<float>(std::sin(static_cast<double>(i) * (((fd * pi) * 2.0) / rd)));
    return v;
}

struct TableGuard {
    ~TableGuard() { FreeSineTable(); }
};

TEST(SineTable, PiIsTheDoubleNearestToPi)
{
    EXPECT_EQ(g_pi, 3.141592653589793);
}

TEST(SineTable, MatchesTheFormulaBitForBitAtEveryRate)
{
    const std::uint32_t savedRate = g_sampleRate;
    for (const std::uint32_t rate : kRates) {
        for (const std::uint32_t f : {0u, 1u, 1000u, 12345u, rate / 2, rate, rate + 1}) {
            g_sampleRate = rate;
            TableGuard guard;
            BuildSineTable(f);
            const std::vector<float> expected = Expected(f, rate);
            std::size_t mismatches = 0;
            for (std::uint32_t i = 0; i < rate; ++i)
                mismatches += std::bit_cast<std::uint32_t>(g_sineTable[i]) != std::bit_cast<std::uint32_t>(expected[i]);
            EXPECT_EQ(mismatches, 0u) << "rate " << rate << " f " << f;
            EXPECT_EQ(std::bit_cast<std::uint32_t>(g_sineTable[0]), 0u) << "table[0] must be +0.0";
        }
    }
    g_sampleRate = savedRate;
}

TEST(SineTable, ThousandHertzAtEightKilohertzRepeatsEveryEightSamples)
{
    g_sampleRate = 8000;
    TableGuard guard;
    BuildSineTable(1000);
    const float r = static_cast<float>(std::sqrt(0.5));
    const std::array<float, 8> cycle{0.0f, r, 1.0f, r, 0.0f, -r, -1.0f, -r};
    for (std::uint32_t i = 0; i < 8000; ++i)
        EXPECT_NEAR(g_sineTable[i], cycle[i % 8], 1e-6f) << i;
    for (std::uint32_t i = 8; i < 8000; ++i)
        ASSERT_NEAR(g_sineTable[i], g_sineTable[i % 8], 1e-6f) << i;
    // Later zero crossings carry rounding residue, not exact zeros.
    EXPECT_LT(std::fabs(g_sineTable[4]), 1e-12f);
    g_sampleRate = 22050;
}

TEST(SineTable, ConsecutiveBuildsAllocateOneSecondAtTheNewRate)
{
    testsupport::TakeArrayAllocations();
    for (const std::uint32_t rate : {8000u, 96000u, 11025u}) {
        g_sampleRate = rate;
        BuildSineTable(440);
        FreeSineTable();
        EXPECT_EQ(g_sineTable, nullptr);
    }
    EXPECT_EQ(testsupport::TakeArrayAllocations(),
              (std::vector<std::size_t>{8000 * sizeof(float), 96000 * sizeof(float), 11025 * sizeof(float)}));
    g_sampleRate = 22050;
}

TEST(SineTable, FailedAllocationLeavesNoTable)
{
    g_sampleRate = 96000;
    testsupport::FailNextArrayAllocation(96000 * sizeof(float));
    EXPECT_THROW(BuildSineTable(1000), std::bad_alloc);
    EXPECT_EQ(g_sineTable, nullptr);
    g_sampleRate = 22050;
}

} // namespace
