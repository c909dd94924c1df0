// What the core runs on: the serial ports, the link's millisecond clock and
// the wall clock. One small value, built once by the program (MachinePlatform)
// or by a test (simulated ports and clocks), and handed down through the one
// constructor of each level: front end, LoggerDialog, LoggerCore. It refers to
// the ports and the link clock rather than owning them, so that a test keeps
// its fakes in hand; whoever builds it keeps them alive for as long as the
// core runs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "link/link_clock.h"
#include "link/serial_port.h"

namespace brisko {

// Whole seconds since the epoch, 64-bit so that it does not overflow in 2038.
using WallClock = std::function<std::int64_t()>;

struct Platform {
  PortSystem& ports;
  LinkClock& linkClock;
  WallClock wallClock;
};

// The machine's own: its serial ports, its monotonic clock and the system time.
class MachinePlatform {
 public:
  MachinePlatform();
  MachinePlatform(const MachinePlatform&) = delete;
  MachinePlatform& operator=(const MachinePlatform&) = delete;

  Platform platform() const;

 private:
  std::unique_ptr<PortSystem> ports_;
  std::unique_ptr<LinkClock> linkClock_;
};

}  // namespace brisko
