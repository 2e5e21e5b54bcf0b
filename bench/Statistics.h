#pragma once

#include <algorithm>
#include <vector>

namespace verdane::bench {

// The middle of the timings: what a run is judged by, unmoved by one slow repetition.
inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace verdane::bench
