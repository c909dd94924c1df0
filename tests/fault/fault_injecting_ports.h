// Ports that wrap another port system (the machine's own or the simulated
// one) for fault injection: every call the worker makes goes into a PortTrace,
// and every read or every write can be made to fail while the switch is on,
// as an adapter that was pulled out or a driver that refuses would. The
// switches may be flipped from the test's thread while the worker runs.
#pragma once

#include <atomic>
#include <memory>

#include "link/serial_port.h"
#include "tests/fault/port_trace.h"

namespace brisko {

struct FaultSwitches {
  std::atomic<bool> failReads{false};
  std::atomic<bool> failWrites{false};
};

class FaultInjectingPorts final : public PortSystem {
 public:
  FaultInjectingPorts(PortSystem& inner, PortTrace& trace) : inner_(inner), trace_(trace) {}

  // The open itself is the inner system's, faults and all.
  std::unique_ptr<SerialPort> Open(int portNumber, PortOpenError& error) override;
  bool Probe(int portNumber) override { return inner_.Probe(portNumber); }
  PortPresence PresentPorts() override { return inner_.PresentPorts(); }

  FaultSwitches& switches() { return switches_; }

 private:
  PortSystem& inner_;
  PortTrace& trace_;
  FaultSwitches switches_;
};

}  // namespace brisko
