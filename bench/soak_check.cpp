#include "bench/soak_check.h"

#include <algorithm>
#include <limits>

namespace brisko {

long RssSpreadAfter(const std::vector<RssSample>& samples, double warmupSeconds) {
  long low = std::numeric_limits<long>::max();
  long high = -1;
  for (const RssSample& sample : samples) {
    if (sample.seconds < warmupSeconds) continue;
    low = std::min(low, sample.rssKiB);
    high = std::max(high, sample.rssKiB);
  }
  return high < 0 ? -1 : high - low;
}

bool FindLoggedCount(const std::vector<std::string>& lines, const std::string& label, std::uint64_t& count,
                     std::size_t fromLine) {
  for (std::size_t i = fromLine; i < lines.size(); ++i) {
    const std::size_t at = lines[i].find(label);
    if (at == std::string::npos) continue;
    std::size_t pos = at + label.size();
    std::uint64_t value = 0;
    const std::size_t first = pos;
    for (; pos < lines[i].size() && lines[i][pos] >= '0' && lines[i][pos] <= '9'; ++pos) {
      value = value * 10 + static_cast<std::uint64_t>(lines[i][pos] - '0');
    }
    if (pos == first) continue;
    count = value;
    return true;
  }
  return false;
}

}  // namespace brisko
