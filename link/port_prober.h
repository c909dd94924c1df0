// Probes ports on a thread of its own, so that a port that takes seconds to
// open (a Bluetooth serial port) never holds up the user-interface thread.
// Numbers wait in ascending order; each is probed once per request and its
// result handed to the report function on the probing thread, which posts it
// on. The destructor waits for the probe in progress, then ends the thread.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "link/serial_port.h"

namespace brisko {

class PortProber {
 public:
  using Report = std::function<void(int portNumber, bool openable)>;

  // `ports` must outlive the prober.
  PortProber(PortSystem& ports, Report report);
  ~PortProber();
  PortProber(const PortProber&) = delete;
  PortProber& operator=(const PortProber&) = delete;

  // Queues the numbers not waiting or being probed already; returns at once.
  void Probe(const std::vector<int>& portNumbers);

 private:
  void Run();

  PortSystem& ports_;
  Report report_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::set<int> waiting_;
  int probing_ = 0;  // the number being probed, 0 for none
  bool stop_ = false;
  std::thread thread_;  // started with the first request
};

}  // namespace brisko
