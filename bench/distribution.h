// Summaries of measured samples (latencies, spacings, durations) as the bench
// programs print them: count, minimum, median, 99th percentile and maximum.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace brisko {

struct Distribution {
  std::size_t count = 0;
  double min = 0;
  double median = 0;
  double p99 = 0;
  double max = 0;
};

// Percentiles by the nearest rank: the smallest sample that at least that
// share of the samples does not exceed. An empty set gives all zeros.
Distribution Summarize(std::vector<double> samples);

// "n=50 min=100.9 median=101.1 p99=102.0 max=102.3 <unit>"
std::string Describe(const Distribution& d, const std::string& unit);

}  // namespace brisko
