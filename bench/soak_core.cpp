// The link and protocol core against brisko-sim for a long run: the tool's
// core with a user-interface loop on this thread, the simulator (by default
// flooding the line with 1% noise) as a child process on a pseudo-terminal.
// Checks at the end: nothing crashed, resident memory stayed within 1 MiB
// after warm-up, and every good sentence the simulator wrote was posted and
// then handed to the core.
//
// Usage: brisko_soak_core [--seconds N] [--warmup S] [--every S] [-- sim options]
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/process_usage.h"
#include "bench/soak_check.h"
#include "tests/e2e/sim_process.h"
#include "tests/e2e/tool_harness.h"

namespace brisko {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr long kRssToleranceKiB = 1024;
const std::string kReadsAgainLabel = "the tool reads again; good sentences written before: ";
const std::string kWrittenLabel = "brisko-sim: good sentences written: ";

struct SoakOptions {
  double seconds = 600;
  double warmupSeconds = -1;  // default: a tenth of the run, at most 60 s
  double everySeconds = 5;
  std::vector<std::string> simArgs = {"--flood", "--noise", "0.01"};
};

bool ParseOptions(int argc, char** argv, SoakOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      options.simArgs.assign(argv + i + 1, argv + argc);
      break;
    }
    if (i + 1 >= argc) return false;
    const double value = std::atof(argv[++i]);
    if (arg == "--seconds" && value > 0) {
      options.seconds = value;
    } else if (arg == "--warmup" && value >= 0) {
      options.warmupSeconds = value;
    } else if (arg == "--every" && value > 0) {
      options.everySeconds = value;
    } else {
      return false;
    }
  }
  if (options.warmupSeconds < 0) options.warmupSeconds = std::min(60.0, options.seconds / 10);
  return true;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

int Run(const SoakOptions& options) {
  std::vector<std::string> simArgs = options.simArgs;
  // The simulator falls silent when the run is over, so that the tool can
  // take in everything written before the counts are compared.
  simArgs.push_back("--silent-after");
  simArgs.push_back(std::to_string(options.seconds));
  SimProcess sim(simArgs);
  if (!sim.started()) {
    std::fprintf(stderr, "soak: brisko-sim did not start\n");
    return 1;
  }
  // Opened only once the simulator drops its output for want of a reader:
  // the tool's purge then removes everything written before, and every
  // sentence written after the simulator sees it read again reaches the tool.
  const long away = sim.WaitForLine(
      [](const std::string& line) { return line.find("the tool is not reading") != std::string::npos; },
      milliseconds(60000));
  if (away < 0) {
    std::fprintf(stderr, "soak: the simulator never filled the line\n");
    return 1;
  }

  ToolUnderTest tool;
  tool.core().OpenPort(sim.port());
  if (!tool.core().IsPortOpen()) {
    std::fprintf(stderr, "soak: COM%d did not open: %s\n", sim.port(), tool.record().portStatus.c_str());
    return 1;
  }
  const Clock::time_point start = Clock::now();
  const ProcessUsage first = ReadProcessUsage(0);
  std::vector<RssSample> samples;
  ProcessUsage last = first;
  std::printf("soak: COM%d, %g s, warm-up %g s, simulator:", sim.port(), options.seconds, options.warmupSeconds);
  for (const auto& arg : options.simArgs) std::printf(" %s", arg.c_str());
  std::printf("\n");
  while (SecondsSince(start) < options.seconds) {
    tool.PumpFor(milliseconds(static_cast<long>(options.everySeconds * 1000)));
    last = ReadProcessUsage(0);
    samples.push_back({SecondsSince(start), last.rssKiB});
    std::printf("[%7.1f s] rss %ld KiB, posted %ld, handled %ld\n", samples.back().seconds, last.rssKiB,
                tool.sentencesPosted(), tool.sentencesHandled());
    std::fflush(stdout);
  }
  const double wallSeconds = SecondsSince(start);

  // Take in what is still on the way: until nothing new has been posted for
  // two seconds and every post has been handled.
  const Clock::time_point drainEnd = Clock::now() + std::chrono::seconds(60);
  for (long posted = -1; posted != tool.sentencesPosted() || tool.sentencesHandled() != posted;) {
    if (Clock::now() > drainEnd) break;  // the counts below then tell what was left
    posted = tool.sentencesPosted();
    tool.PumpFor(milliseconds(2000));
  }
  tool.core().ClosePort();
  const int status = sim.Stop(SIGTERM);
  const std::vector<std::string> log = sim.Lines();

  SoakCounts counts;
  counts.simulatorCountsLogged =
      FindLoggedCount(log, kReadsAgainLabel, counts.writtenBeforeReading, static_cast<std::size_t>(away)) &&
      FindLoggedCount(log, kWrittenLabel, counts.writtenAtExit);
  counts.posted = static_cast<std::uint64_t>(tool.sentencesPosted());
  counts.handled = static_cast<std::uint64_t>(tool.sentencesHandled());
  const long spread = RssSpreadAfter(samples, options.warmupSeconds);
  const double cpuShare = (last.cpuSeconds - first.cpuSeconds) / wallSeconds;
  const std::uint64_t written = counts.writtenAtExit - counts.writtenBeforeReading;

  std::printf("soak: simulator wrote %llu good sentences while the tool read (%.0f a second)\n",
              static_cast<unsigned long long>(written), static_cast<double>(written) / wallSeconds);
  std::printf("soak: posted %llu, handled %llu\n", static_cast<unsigned long long>(counts.posted),
              static_cast<unsigned long long>(counts.handled));
  std::printf("soak: rss after warm-up spread %ld KiB (first %ld KiB, last %ld KiB), cpu share %.4f\n", spread,
              first.rssKiB, last.rssKiB, cpuShare);
  const std::vector<std::string> failures = SoakFailures(counts, spread, kRssToleranceKiB, status);
  for (const std::string& failure : failures) std::printf("FAIL: %s\n", failure.c_str());
  std::printf("soak: %s\n", failures.empty() ? "PASS" : "FAIL");
  return failures.empty() ? 0 : 1;
}

}  // namespace
}  // namespace brisko

int main(int argc, char** argv) {
  brisko::SoakOptions options;
  if (!brisko::ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: brisko_soak_core [--seconds N] [--warmup S] [--every S] [-- sim options]\n");
    return 2;
  }
  return brisko::Run(options);
}
