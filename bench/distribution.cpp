#include "bench/distribution.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace brisko {

namespace {

double NearestRank(const std::vector<double>& sorted, double share) {
  const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
  return sorted[std::max<std::size_t>(rank, 1) - 1];
}

}  // namespace

Distribution Summarize(std::vector<double> samples) {
  Distribution d;
  if (samples.empty()) return d;
  std::sort(samples.begin(), samples.end());
  d.count = samples.size();
  d.min = samples.front();
  d.median = NearestRank(samples, 0.5);
  d.p99 = NearestRank(samples, 0.99);
  d.max = samples.back();
  return d;
}

std::string Describe(const Distribution& d, const std::string& unit) {
  char text[160];
  std::snprintf(text, sizeof text, "n=%zu min=%.3f median=%.3f p99=%.3f max=%.3f %s", d.count, d.min, d.median,
                d.p99, d.max, unit.c_str());
  return text;
}

}  // namespace brisko
