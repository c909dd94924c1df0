// The tool without its window, for end-to-end tests: the real LoggerCore
// (link, worker, protocol) on the platform's serial ports, with the shared fake
// dialog on the wall clock, and a poster that hands sentences from
// the worker thread to the test's own thread, which plays the user-interface
// thread: it dispatches them and runs the 500 ms staleness timer.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "protocol/core_loop.h"
#include "protocol/logger_core.h"
#include "protocol/platform.h"
#include "tests/support/fake_dialog.h"

namespace brisko {

class ToolUnderTest {
 public:
  // On the machine's serial ports and clocks.
  ToolUnderTest()
      : machine_(std::make_unique<MachinePlatform>()),
        ports_(machine_->platform().ports),
        dialog_(testing::FakeDialog::Clock::Wall),
        core_(dialog_, poster_, machine_->platform()) {}
  // On the given ports and link clock (simulated or wrapped ones), which must
  // outlive it, and the wall clock.
  ToolUnderTest(PortSystem& ports, LinkClock& clock)
      : ports_(ports),
        dialog_(testing::FakeDialog::Clock::Wall),
        core_(dialog_, poster_, Platform{ports, clock, dialog_.wallClock()}) {}

  // Runs the user-interface loop until `done` holds or `timeout` passes;
  // returns whether `done` held.
  bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    return loop_.PumpUntil(core_, done, timeout);
  }
  void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
  }

  // The ports listed after a thorough look, as at the dialog's start, once
  // every probe it caused has come back.
  std::vector<int> ListAfterLook(std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    return loop_.ListAfterLook(core_, ports_.PresentPorts(), timeout);
  }

  LoggerCore& core() { return core_; }
  DeviceRecord& record() { return core_.record(); }
  testing::FakeDialog& dialog() { return dialog_; }
  long sentencesPosted() { return poster_.postedCount(); }
  // Posts taken from the queue and handed to the core, dispatched or dropped.
  long sentencesHandled() const { return loop_.sentencesHandled(); }

 private:
  std::unique_ptr<MachinePlatform> machine_;  // none when the ports were given
  PortSystem& ports_;
  testing::FakeDialog dialog_;
  QueuedPoster poster_;
  LoggerCore core_;
  CoreLoop loop_{poster_};
};

}  // namespace brisko
