#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace testsupport {

// One second of the generator's sine, computed here from its definition
// rather than by the code under test: step (f * pi) * 2 / R in double,
// each sample sin(i * step) rounded to float. The one reference the tests
// compare the table and the sink's recordings with, and the table the
// benchmarks' plain PortAudio player plays.
inline std::vector<float> ExpectedTable(std::uint32_t f, std::uint32_t rate)
{
    const double pi = 2.0 * std::asin(1.0);
    const double step = ((static_cast<double>(f) * pi) * 2.0) / static_cast<double>(rate);
    std::vector<float> v(rate);
    for (std::uint32_t i = 0; i < rate; ++i)
        v[i] = static_cast<float>(std::sin(static_cast<double>(i) * step));
    return v;
}

} // namespace testsupport
