// The one summary every benchmark prints: a percentile of its timings
// (50 for the median), by the nearest rank below.
#pragma once

#include <algorithm>
#include <vector>

inline double percentile(std::vector<double> v, int p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * p / 100)];
}
