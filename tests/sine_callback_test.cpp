#include "sine_callback.h"
#include "sine_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// The callback continues the wave wherever it stands and however many
// frames it is asked for, wrapping as often as needed.
TEST(SineCallback, ContinuesTheWaveForAnyFrameCountFromAnyPosition)
{
    g_sampleRate = 8000;
    BuildSineTable(1000);
    const std::uint32_t r = g_sampleRate;
    for (const std::uint32_t start : {0u, 1u, r / 2, r - 1}) {
        for (const std::uint32_t frames : {0u, 1u, r - 1, r, 3 * r + 7}) {
            g_tableIndex = start;
            std::vector<float> out(frames + 1, 42.0f);
            EXPECT_EQ(SineCallback(nullptr, out.data(), frames, 0.0, nullptr), 0);
            std::size_t wrong = 0;
            for (std::uint32_t k = 0; k < frames; ++k)
                wrong += out[k] != g_sineTable[(start + k) % r];
            EXPECT_EQ(wrong, 0u) << "start " << start << " frames " << frames;
            EXPECT_EQ(out[frames], 42.0f) << "wrote past the frames asked for";
            EXPECT_EQ(g_tableIndex, (start + frames) % r);
        }
    }
    FreeSineTable();
    g_sampleRate = 22050;
}

// Split into calls of any size, the output is one unbroken wave.
TEST(SineCallback, ConsecutiveCallsJoinWithoutAJump)
{
    g_sampleRate = 11025;
    BuildSineTable(440);
    g_tableIndex = 0;
    std::vector<float> out;
    for (const std::uint32_t frames : {1u, 7u, 11024u, 1u, 22050u, 3u}) {
        std::vector<float> chunk(frames);
        SineCallback(nullptr, chunk.data(), frames, 0.0, nullptr);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    for (std::size_t k = 0; k < out.size(); ++k)
        ASSERT_EQ(out[k], g_sineTable[k % 11025]) << k;
    FreeSineTable();
    g_sampleRate = 22050;
}

} // namespace
