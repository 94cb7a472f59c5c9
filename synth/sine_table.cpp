#include "sine_table.h"

#include <cmath>
#include <new>

double g_pi = 2.0 * std::asin(1.0);
std::uint32_t g_sampleRate = 22050;
float* g_sineTable = nullptr;

void BuildSineTable(std::uint32_t frequency)
{
    const std::uint32_t rate = g_sampleRate;
    // Allocated before anything else is touched, so that running out of
    // memory leaves the previous state exactly as it was.
    float* table = new float[rate];
    g_sineTable = table;

    // The grouping is deliberate: (f * pi) * 2 / R rounds differently from
    // 2 * pi * f / R in the last bit, and the table is meant to be
    // reproducible bit for bit.
    const double step = ((static_cast<double>(frequency) * g_pi) * 2.0) / static_cast<double>(rate);
    for (std::uint32_t i = 0; i < rate; ++i)
        table[i] = static_cast<float>(std::sin(static_cast<double>(i) * step));
}

void FreeSineTable()
{
    delete[] g_sineTable;
    g_sineTable = nullptr;
}
