#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace bench {

// The median of field(run) over the runs, leaving out the NaNs of runs that
// could not give the figure: odd counts take the middle value, even counts
// the mean of the two middle ones; NaN when there is nothing to take it from.
template <typename Run, typename Field> double Median(const std::vector<Run>& runs, Field field)
{
    std::vector<double> v;
    for (const auto& r : runs)
        if (const double x = static_cast<double>(field(r)); !std::isnan(x))
            v.push_back(x);
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 != 0 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

} // namespace bench
