// Start-up when some ports are slow to open (a Bluetooth serial port takes
// seconds): the machine's ports, with COM5, COM6 and COM7 added as present
// and taking --slow-ms each to open or probe (then failing, as an absent
// device does). The toolkit-neutral dialog starts on a windowless surface
// with the restored port --port, which brisko-sim serves; the figure is the
// time from constructing the dialog to the simulator's serial number shown in
// its field, and the time OnInitDialog took. Runs on Linux (BRISKO_PORTS_DIR
// names the simulator's port) and, cross-built, under Wine (a dosdevices link).
//
// Usage: brisko_bench_slow_ports --port N [--runs R] [--slow-ms MS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
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

class SlowPorts final : public PortSystem {
 public:
  SlowPorts(PortSystem& inner, int slowMs) : inner_(inner), slowMs_(slowMs) {}

  std::unique_ptr<SerialPort> Open(int portNumber, PortOpenError& error) override {
    if (!Slow(portNumber)) return inner_.Open(portNumber, error);
    Wait();
    error.kind = PortErrorKind::NotFound;
    error.systemMessage = "no device answered";
    return nullptr;
  }
  bool Probe(int portNumber) override {
    if (!Slow(portNumber)) return inner_.Probe(portNumber);
    Wait();
    return false;
  }
  PortPresence PresentPorts() override {
    PortPresence presence = inner_.PresentPorts();
    for (int number = 5; number <= 7; ++number) presence.numbers.push_back(number);
    std::sort(presence.numbers.begin(), presence.numbers.end());
    presence.numbers.erase(std::unique(presence.numbers.begin(), presence.numbers.end()), presence.numbers.end());
    return presence;
  }

 private:
  static bool Slow(int portNumber) { return portNumber >= 5 && portNumber <= 7; }
  void Wait() const { std::this_thread::sleep_for(std::chrono::milliseconds(slowMs_)); }

  PortSystem& inner_;
  int slowMs_;
};

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

int Run(int port, int runs, int slowMs) {
  const MachinePlatform machine;
  const Platform base = machine.platform();
  SlowPorts ports(base.ports, slowMs);
  std::vector<double> toData;
  std::vector<double> toInitialised;
  for (int run = 0; run < runs; ++run) {
    testing::FakeSurface surface;
    testing::MemorySettings settings;
    settings.stored = std::to_string(port);
    const Clock::time_point start = Clock::now();
    LoggerDialog dialog(surface, settings, Platform{ports, base.linkClock, base.wallClock});
    dialog.OnInitDialog();
    toInitialised.push_back(Seconds(Clock::now() - start));
    const Clock::time_point deadline = start + std::chrono::seconds(30);
    while (surface.Text(kIdSerialNumber).empty() && Clock::now() < deadline) {
      for (const testing::PostedNotice& notice : surface.TakePosted()) {
        if (notice.portLost) {
          dialog.OnPortLostArrived(notice.run);
        } else {
          dialog.OnSentenceArrived(notice.sentence);
        }
      }
      for (const auto& [number, openable] : surface.TakeProbed()) dialog.OnPortProbedArrived(number, openable);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (surface.Text(kIdSerialNumber).empty()) {
      std::printf("FAIL: COM%d's logger did not show within 30 s (status \"%s\")\n", port,
                  surface.Text(kIdPortStatus).c_str());
      return 1;
    }
    toData.push_back(Seconds(Clock::now() - start));
    dialog.OnDestroy();  // waits for the slow probe in progress
  }
  std::sort(toData.begin(), toData.end());
  std::sort(toInitialised.begin(), toInitialised.end());
  std::printf("slow ports COM5-COM7 (%d ms each to open), %d runs: OnInitDialog returned after %.3f s (max %.3f s); "
              "COM%d's logger data shown %.3f s after start (median; max %.3f s; target below 0.6 s: %s)\n",
              slowMs, runs, toInitialised[toInitialised.size() / 2], toInitialised.back(), port,
              toData[toData.size() / 2], toData.back(), toData.back() < 0.6 ? "met" : "MISSED");
  return 0;
}

}  // namespace
}  // namespace brisko

int main(int argc, char** argv) {
  int port = 0;
  int runs = 5;
  int slowMs = 2500;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--port") == 0) port = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--slow-ms") == 0) slowMs = std::atoi(argv[i + 1]);
  }
  if (port <= 0 || runs <= 0) {
    std::fprintf(stderr, "usage: brisko_bench_slow_ports --port N [--runs R] [--slow-ms MS]\n");
    return 2;
  }
  return brisko::Run(port, runs, slowMs);
}
