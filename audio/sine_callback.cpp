#include "sine_callback.h"

#include "sine_table.h"

std::uint32_t g_tableIndex = 0;

int SineCallback(void* /*input*/, void* output, std::uint32_t frameCount, double /*outTime*/, void* /*userData*/)
{
    auto* out = static_cast<float*>(output);
    for (std::uint32_t k = 0; k < frameCount; ++k) {
        out[k] = g_sineTable[g_tableIndex];
        if (++g_tableIndex >= g_sampleRate)
            g_tableIndex -= g_sampleRate;
    }
    return 0;
}
