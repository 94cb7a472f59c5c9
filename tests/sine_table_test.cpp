// The one-second table against the tests' own reference, bit for bit, and
// against what it is for: a tone that starts on a zero and loops without a
// seam.

#include "alloc_counter.h"
#include "expected_table.h"
#include "rates.h"
#include "sine_table.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

class SineTable : public ::testing::Test {
  protected:
    void TearDown() override
    {
        FreeSineTable();
        g_sampleRate = 22050;
    }

    std::vector<float> Build(std::uint32_t frequency, std::uint32_t rate)
    {
        FreeSineTable();
        g_sampleRate = rate;
        BuildSineTable(frequency);
        return {g_sineTable, g_sineTable + rate};
    }
};

// Rounding leaves the table's later zeros and repeats a few float steps off.
constexpr float kRounding = 1e-6f;

TEST_F(SineTable, MatchesTheReferenceBitForBitAtEveryRate)
{
    for (const auto& [id, rate] : testsupport::kRateButtons) {
        for (const std::uint32_t f : {0u, 1u, 1000u, 12345u, rate / 2, rate, rate + 1}) {
            const std::vector<float> table = Build(f, rate);
            EXPECT_EQ(std::memcmp(table.data(), testsupport::ExpectedTable(f, rate).data(), rate * sizeof(float)), 0)
                << "rate " << rate << " f " << f;
        }
    }
}

// Whole cycles of a rising sine from an exact +0: the loop back from the
// last sample to the first is one more step of the same wave, and the wave
// repeats exactly as often as its frequency says.
TEST_F(SineTable, HoldsExactlyFCyclesFromPlusZeroAndLoopsSeamlessly)
{
    for (const auto& [id, rate] : testsupport::kRateButtons) {
        for (const std::uint32_t f : {1u, 440u, 997u, 1000u, rate / 4}) {
            SCOPED_TRACE(testing::Message() << f << " Hz at " << rate);
            const std::vector<float> table = Build(f, rate);
            EXPECT_EQ(std::bit_cast<std::uint32_t>(table[0]), 0u) << "table[0] must be +0.0";
            std::uint32_t rising = 0;
            for (std::uint32_t i = 0; i < rate; ++i)
                rising += table[(i + rate - 1) % rate] < 0.0f && table[i] >= 0.0f;
            EXPECT_EQ(rising, f) << "zero crossings upwards, the wrap included";
            EXPECT_NEAR(table[rate - 1], -table[1], kRounding) << "the wrap is not one step of the wave";
            const std::uint32_t period = rate / std::gcd(f, rate);
            std::size_t off = 0;
            for (std::uint32_t i = 0; i < rate; ++i)
                off += std::fabs(table[(i + period) % rate] - table[i]) > kRounding;
            EXPECT_EQ(off, 0u) << "samples that do not repeat after " << period;
        }
    }
}

TEST_F(SineTable, ThousandHertzAtEightKilohertzIsTheEightSampleCycle)
{
    const std::vector<float> table = Build(1000, 8000);
    const float r = static_cast<float>(std::sqrt(0.5));
    const float cycle[8] = {0.0f, r, 1.0f, r, 0.0f, -r, -1.0f, -r};
    for (std::uint32_t i = 0; i < 8; ++i)
        EXPECT_NEAR(table[i], cycle[i], kRounding) << i;
    // Later zero crossings carry rounding residue, not exact zeros.
    EXPECT_LT(std::fabs(table[4]), 1e-12f);
}

TEST_F(SineTable, ConsecutiveBuildsAllocateOneSecondAtTheNewRate)
{
    testsupport::TakeArrayAllocations();
    for (const std::uint32_t rate : {8000u, 96000u, 11025u}) {
        Build(440, rate);
        FreeSineTable();
        EXPECT_EQ(g_sineTable, nullptr);
    }
    EXPECT_EQ(testsupport::TakeArrayAllocations(),
              (std::vector<std::size_t>{8000 * sizeof(float), 96000 * sizeof(float), 11025 * sizeof(float)}));
}

} // namespace
