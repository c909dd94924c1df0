// Time from a port's arrival to its entry in the list, after a burst of
// plugging: the toolkit-neutral dialog on a windowless surface, run as a
// front end runs it (the 500 ms timer, posted notices handed over at once),
// with COM2 open on a pseudo-terminal. Another adapter, COM6, is plugged in
// and pulled out --rounds times, --gap-ms apart (a link in a private ports
// directory made and removed); then COM7 is plugged in, and the figure is the
// time until its entry is listed. Linux only: the plugging is the ports
// directory's links.
//
// Usage: brisko_bench_port_burst [--runs R] [--rounds N] [--gap-ms MS]
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "dialog/control_ids.h"
#include "dialog/logger_dialog.h"
#include "protocol/platform.h"
#include "tests/support/fake_surface.h"

namespace brisko {
namespace {

using Clock = std::chrono::steady_clock;

// A pseudo-terminal's port side, kept open on its master.
struct Terminal {
  Terminal() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) path = ::ptsname(master);
  }
  ~Terminal() {
    if (master >= 0) ::close(master);
  }
  int master;
  std::string path;
};

// The front end's loop for `duration`: timer ticks every 500 ms from `timer`,
// posted notices as they come; stops early when `done` holds.
template <typename Done>
bool Run(LoggerDialog& dialog, testing::FakeSurface& surface, Clock::time_point& timer, Clock::duration duration,
         Done done) {
  const Clock::time_point end = Clock::now() + duration;
  while (Clock::now() < end) {
    if (Clock::now() >= timer) {
      dialog.OnTimer();
      timer += std::chrono::milliseconds(kStaleTimerMs);
    }
    for (const testing::PostedNotice& notice : surface.TakePosted()) {
      if (notice.portLost) {
        dialog.OnPortLostArrived(notice.run);
      } else {
        dialog.OnSentenceArrived(notice.sentence);
      }
    }
    for (const auto& [number, openable] : surface.TakeProbed()) dialog.OnPortProbedArrived(number, openable);
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

bool Listed(const testing::FakeSurface& surface, const std::string& entry) {
  const std::vector<std::string> texts = surface.ListTexts();
  return std::find(texts.begin(), texts.end(), entry) != texts.end();
}

int Bench(int runs, int rounds, int gapMs) {
  char pattern[] = "/tmp/brisko-burst-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return 2;
  const std::string directory = pattern;
  ::setenv("BRISKO_PORTS_DIR", pattern, 1);
  const std::string com2 = directory + "/COM2";
  const std::string com6 = directory + "/COM6";
  const std::string com7 = directory + "/COM7";
  Terminal open;
  Terminal other;
  Terminal late;
  if (open.path.empty() || other.path.empty() || late.path.empty() || ::symlink(open.path.c_str(), com2.c_str()) != 0) {
    std::printf("FAIL: no pseudo-terminals\n");
    return 2;
  }
  const MachinePlatform machine;
  std::vector<double> seconds;
  bool failed = false;
  for (int run = 0; run < runs && !failed; ++run) {
    testing::FakeSurface surface;
    testing::MemorySettings settings;
    settings.stored = "2";
    LoggerDialog dialog(surface, settings, machine.platform());
    dialog.OnInitDialog();
    Clock::time_point timer = Clock::now() + std::chrono::milliseconds(kStaleTimerMs);
    for (int round = 0; round < rounds; ++round) {
      ::symlink(other.path.c_str(), com6.c_str());
      Run(dialog, surface, timer, std::chrono::milliseconds(gapMs), [] { return false; });
      ::unlink(com6.c_str());
      Run(dialog, surface, timer, std::chrono::milliseconds(gapMs), [] { return false; });
    }
    ::symlink(late.path.c_str(), com7.c_str());
    const Clock::time_point arrival = Clock::now();
    failed = !Run(dialog, surface, timer, std::chrono::seconds(10), [&] { return Listed(surface, "7"); });
    seconds.push_back(std::chrono::duration<double>(Clock::now() - arrival).count());
    failed = failed || surface.Text(kIdPortStatus) != "COM2 Open Ok";
    dialog.OnDestroy();
    ::unlink(com7.c_str());
  }
  ::unlink(com2.c_str());
  ::rmdir(pattern);
  std::sort(seconds.begin(), seconds.end());
  std::printf("port arrival to its list entry after %d plug/unplug rounds %d ms apart, %d runs: %.3f s (median; max "
              "%.3f s; required at most 2 s: %s)\n",
              rounds, gapMs, runs, seconds[seconds.size() / 2], seconds.back(),
              !failed && seconds.back() <= 2.0 ? "met" : "MISSED");
  return failed ? 1 : 0;
}

}  // namespace
}  // namespace brisko

int main(int argc, char** argv) {
  int runs = 5;
  int rounds = 20;
  int gapMs = 50;
  const struct {
    const char* name;
    int* value;
  } options[] = {{"--runs", &runs}, {"--rounds", &rounds}, {"--gap-ms", &gapMs}};
  for (int i = 1; i + 1 < argc; i += 2) {
    for (const auto& option : options) {
      if (std::strcmp(argv[i], option.name) == 0) {
        *option.value = static_cast<int>(std::strtol(argv[i + 1], nullptr, 10));
      }
    }
  }
  if (runs <= 0 || rounds < 0 || gapMs < 0) {
    std::fprintf(stderr, "usage: brisko_bench_port_burst [--runs R] [--rounds N] [--gap-ms MS]\n");
    return 2;
  }
  return brisko::Bench(runs, rounds, gapMs);
}
