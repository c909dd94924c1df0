// Reads and discards everything that arrives on a pseudo-terminal master on a
// thread of its own, so that what the tool writes never fills the line while
// a measurement looks elsewhere. Stops when destroyed. POSIX only.
#pragma once

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace brisko {

class PtyDrain {
 public:
  explicit PtyDrain(int masterFd) : thread_([this, masterFd] { Run(masterFd); }) {}
  ~PtyDrain() {
    stop_ = true;
    thread_.join();
  }
  PtyDrain(const PtyDrain&) = delete;
  PtyDrain& operator=(const PtyDrain&) = delete;

 private:
  void Run(int masterFd) {
    char buffer[512];
    while (!stop_) {
      pollfd watch{masterFd, POLLIN, 0};
      if (::poll(&watch, 1, 10) <= 0) continue;
      // POLLHUP while the tool has the port closed: wait for it to reopen.
      if ((watch.revents & POLLIN) == 0 || ::read(masterFd, buffer, sizeof buffer) <= 0) ::usleep(5000);
    }
  }

  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace brisko
