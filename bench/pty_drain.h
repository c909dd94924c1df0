// Reads and discards everything that arrives on a pseudo-terminal master on a
// thread of its own, so that what the tool writes never fills the line while
// a measurement looks elsewhere, counting them. Stops when destroyed. POSIX only.
#pragma once

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
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

  // Bytes taken off the line so far.
  std::size_t bytesRead() const { return bytesRead_.load(); }

 private:
  void Run(int masterFd) {
    char buffer[512];
    while (!stop_) {
      pollfd watch{masterFd, POLLIN, 0};
      if (::poll(&watch, 1, 10) <= 0) continue;
      // POLLHUP while the tool has the port closed: wait for it to reopen.
      const ssize_t got = (watch.revents & POLLIN) != 0 ? ::read(masterFd, buffer, sizeof buffer) : 0;
      if (got > 0) {
        bytesRead_ += static_cast<std::size_t>(got);
      } else {
        ::usleep(5000);
      }
    }
  }

  std::atomic<bool> stop_{false};
  std::atomic<std::size_t> bytesRead_{0};
  std::thread thread_;
};

}  // namespace brisko
