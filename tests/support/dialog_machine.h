// What the main dialog starts on in its tests, whichever front end shows it:
// loggers on simulated ports 3 and 5, the port number kept between runs and a
// stopped wall clock; and the wait that ends a start.
#pragma once

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "link/sentence_framing.h"
#include "link/simulated_clock.h"
#include "link/simulated_port.h"
#include "protocol/platform.h"
#include "tests/support/fake_surface.h"
#include "tests/support/wait_until.h"

namespace brisko::testing {

class DialogMachine {
 public:
  DialogMachine() {
    ports.AddDevice(3, clock);
    ports.AddDevice(5, clock);
  }

  // What the dialog is built over, once the port to restore is stored.
  Platform platform() {
    restored_ = ports.Device(std::atoi(settings.stored.c_str()));
    writesBeforeStart_ = restored_ != nullptr ? restored_->Writes().size() : 0;
    return Platform{ports, clock, StoppedClock};
  }
  SimulatedDevice& Device(int port) { return *ports.Device(port); }
  // A logger's sentence, with its checksum, arriving on the port.
  void Feed(int port, std::string sentence) {
    AppendChecksum(sentence);
    Device(port).Feed(sentence);
  }
  bool Written(int port, const std::string& text) { return Device(port).WrittenBytes().find(text) != std::string::npos; }

  // The start is over once `listed` holds (probed ports join the list late)
  // and the restored port, if open, has had a first command written since:
  // the worker empties the port as it begins. `pump` runs the front end's events.
  bool AwaitStart(const std::function<bool()>& listed, const std::function<void()>& pump) {
    return WaitUntil(listed, kGenerousWait, pump) && WaitUntil([&] {
      return restored_ == nullptr || !restored_->isOpen() || restored_->Writes().size() > writesBeforeStart_;
    }, kGenerousWait, pump);
  }

  SimulatedClock clock{0, std::chrono::microseconds(200)};
  SimulatedPortSystem ports;
  MemorySettings settings;

 private:
  SimulatedDevice* restored_ = nullptr;
  std::size_t writesBeforeStart_ = 0;
};

}  // namespace brisko::testing
