#pragma once

#include <algorithm>
#include <vector>

// Order statistics of timing samples (empty: 0).
inline double percentile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const size_t at = std::min(samples.size() - 1, size_t(double(samples.size()) * fraction));
    return samples[at];
}

inline double median(const std::vector<double>& samples)
{
    return percentile(samples, 0.5);
}
