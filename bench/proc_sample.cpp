// Samples another process's resident memory and CPU time from /proc every few
// seconds, for the soak and idle figures of the desktop tool: prints each
// sample, then the spread of resident memory after warm-up and the CPU share
// over the whole time. Fails when the process ends early or, with
// --max-rss-spread, when its memory grew by more than that.
//
// Usage: brisko_proc_sample --pid P [--seconds S] [--every E] [--warmup W] [--max-rss-spread KiB]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/process_usage.h"
#include "bench/soak_check.h"

int main(int argc, char** argv) {
  long pid = 0;
  double seconds = 30;
  double every = 5;
  double warmup = 0;
  long maxSpread = -1;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    const double value = std::atof(argv[i + 1]);
    if (arg == "--pid") {
      pid = static_cast<long>(value);
    } else if (arg == "--seconds") {
      seconds = value;
    } else if (arg == "--every") {
      every = value;
    } else if (arg == "--warmup") {
      warmup = value;
    } else if (arg == "--max-rss-spread") {
      maxSpread = static_cast<long>(value);
    }
  }
  if (pid <= 0 || argc % 2 == 0 || every <= 0) {
    std::fprintf(stderr,
                 "usage: brisko_proc_sample --pid P [--seconds S] [--every E] [--warmup W] [--max-rss-spread KiB]\n");
    return 2;
  }

  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const brisko::ProcessUsage first = brisko::ReadProcessUsage(static_cast<pid_t>(pid));
  if (!first.ok) {
    std::fprintf(stderr, "proc_sample: no process %ld\n", pid);
    return 1;
  }
  brisko::ProcessUsage last = first;
  std::vector<brisko::RssSample> samples;
  double elapsed = 0;
  while (elapsed < seconds) {
    std::this_thread::sleep_until(start + std::chrono::duration<double>(every * static_cast<double>(samples.size() + 1)));
    const brisko::ProcessUsage now = brisko::ReadProcessUsage(static_cast<pid_t>(pid));
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (!now.ok) {
      std::printf("FAIL: process %ld ended after %.1f s\n", pid, elapsed);
      return 1;
    }
    last = now;
    samples.push_back({elapsed, now.rssKiB});
    std::printf("[%7.1f s] rss %ld KiB, cpu %.2f s\n", elapsed, now.rssKiB, now.cpuSeconds);
    std::fflush(stdout);
  }
  const long spread = brisko::RssSpreadAfter(samples, warmup);
  const double share = (last.cpuSeconds - first.cpuSeconds) / elapsed;
  std::printf("process %ld: rss first %ld KiB, last %ld KiB, spread after %.0f s warm-up %ld KiB; cpu share %.4f\n",
              pid, first.rssKiB, last.rssKiB, warmup, spread, share);
  if (maxSpread >= 0 && (spread < 0 || spread > maxSpread)) {
    std::printf("FAIL: resident memory spread %ld KiB (at most %ld)\n", spread, maxSpread);
    return 1;
  }
  return 0;
}
