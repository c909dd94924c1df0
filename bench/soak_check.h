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

// What a soak run counted. The simulator logs how many good sentences it had
// written when the tool began to read and how many at its exit; every one in
// between must have been posted by the worker, and every post handed to the
// core (which dispatches it, or drops it when the worker had begun to refill
// its slot).
struct SoakCounts {
  bool simulatorCountsLogged = false;
  std::uint64_t writtenBeforeReading = 0;
  std::uint64_t writtenAtExit = 0;
  std::uint64_t posted = 0;
  std::uint64_t handled = 0;
};

// The reasons a soak run failed, one text each; empty when it passed.
// simulatorWaitStatus is the simulator's status as waitpid gave it.
std::vector<std::string> SoakFailures(const SoakCounts& counts, long rssSpreadKiB, long rssToleranceKiB,
                                      int simulatorWaitStatus);

// The number that follows `label` in the first line, from `fromLine` on, that
// holds `label` followed by at least one digit. False when there is none.
bool FindLoggedCount(const std::vector<std::string>& lines, const std::string& label, std::uint64_t& count,
                     std::size_t fromLine = 0);

}  // namespace brisko
