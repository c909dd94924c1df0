// The verdicts of a soak run, apart from the run itself: whether resident
// memory stayed flat after warm-up, and the counts the simulator logs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brisko {

struct RssSample {
  double seconds = 0;  // since the port was opened
  long rssKiB = 0;
};

// Largest minus smallest resident size among the samples taken at or after
// `warmupSeconds`; -1 when there is no such sample.
long RssSpreadAfter(const std::vector<RssSample>& samples, double warmupSeconds);

// The number that follows `label` in the first line, from `fromLine` on, that
// holds `label` followed by at least one digit. False when there is none.
bool FindLoggedCount(const std::vector<std::string>& lines, const std::string& label, std::uint64_t& count,
                     std::size_t fromLine = 0);

}  // namespace brisko
