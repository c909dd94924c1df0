#include "bench/soak_check.h"

#include <sys/wait.h>

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

std::vector<std::string> SoakFailures(const SoakCounts& counts, long rssSpreadKiB, long rssToleranceKiB,
                                      int simulatorWaitStatus) {
  std::vector<std::string> failures;
  if (!WIFEXITED(simulatorWaitStatus) || WEXITSTATUS(simulatorWaitStatus) != 0) {
    failures.push_back("the simulator ended with wait status " + std::to_string(simulatorWaitStatus));
  }
  if (!counts.simulatorCountsLogged || counts.writtenAtExit < counts.writtenBeforeReading) {
    failures.push_back("the simulator's counts are missing from its log");
  } else if (counts.writtenAtExit - counts.writtenBeforeReading != counts.posted) {
    failures.push_back(std::to_string(counts.writtenAtExit - counts.writtenBeforeReading) +
                       " good sentences written, " + std::to_string(counts.posted) + " posted");
  }
  if (counts.handled != counts.posted) {
    failures.push_back(std::to_string(counts.posted) + " posted, " + std::to_string(counts.handled) + " handled");
  }
  if (rssSpreadKiB < 0 || rssSpreadKiB > rssToleranceKiB) {
    failures.push_back("resident memory spread " + std::to_string(rssSpreadKiB) + " KiB after warm-up (at most " +
                       std::to_string(rssToleranceKiB) + ")");
  }
  return failures;
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
