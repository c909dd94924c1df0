// Probes ports off the user-interface thread, so that a port that takes
// seconds to open (a Bluetooth serial port) never holds up the window. Numbers
// wait in ascending order; each is probed once per request and its result
// handed to the report function on the probing thread, which posts it on. A
// request for a number being probed probes it again afterwards: the port may
// have come or gone since that probe began. A probe that hangs (a driver in
// the middle of a removal) holds up only itself: once it has run for
// kProbeStuckAfter, the next request starts another probing thread, up to
// kProbeThreads. The destructor waits for the probes in progress.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "link/serial_port.h"

namespace brisko {

inline constexpr std::chrono::milliseconds kProbeStuckAfter{500};
inline constexpr int kProbeThreads = 4;

class PortProber {
 public:
  using Report = std::function<void(int portNumber, bool openable)>;

  // `ports` must outlive the prober.
  PortProber(PortSystem& ports, Report report);
  ~PortProber();
  PortProber(const PortProber&) = delete;
  PortProber& operator=(const PortProber&) = delete;

  // Queues the numbers not waiting already; returns at once. Also the moment
  // at which a probe that hangs gets a thread beside it, so the owner calls it
  // at every look, with nothing to queue too.
  void Probe(const std::vector<int>& portNumbers);
  // The owner is about to open port n itself: n leaves the queue, and a probe
  // of n in progress (which holds the port for its open and close) is waited
  // for, at most `bound`. False when that probe was still running.
  bool AwaitProbeOf(int portNumber, std::chrono::milliseconds bound);

 private:
  struct Lane {
    std::thread thread;
    int probing = 0;  // the number being probed, 0 for none
    std::chrono::steady_clock::time_point since;
  };
  void Run(Lane& lane);
  // With the mutex held: a thread more when every one is held up.
  void AddLaneIfAllStuck();
  bool Probing(int portNumber) const;

  PortSystem& ports_;
  Report report_;
  std::mutex mutex_;
  std::condition_variable wake_;  // work queued or stop
  std::condition_variable done_;  // a probe ended
  std::set<int> waiting_;
  std::list<Lane> lanes_;  // a list, so that a lane stays where its thread looks
  bool stop_ = false;
};

}  // namespace brisko
