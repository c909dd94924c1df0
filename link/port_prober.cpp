#include "link/port_prober.h"

#include <system_error>
#include <utility>

namespace brisko {

PortProber::PortProber(PortSystem& ports, Report report) : ports_(ports), report_(std::move(report)) {}

PortProber::~PortProber() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void PortProber::Probe(const std::vector<int>& portNumbers) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (int number : portNumbers) {
      if (number != probing_) waiting_.insert(number);
    }
    if (waiting_.empty()) return;
    if (!thread_.joinable()) {
      try {
        thread_ = std::thread([this] { Run(); });
      } catch (const std::system_error&) {
        // No thread to be had: probe here, slow ports and all, rather than
        // leave the list empty.
        for (int number : std::exchange(waiting_, {})) report_(number, ports_.Probe(number));
        return;
      }
    }
  }
  wake_.notify_one();
}

void PortProber::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !waiting_.empty(); });
    if (stop_) return;
    probing_ = *waiting_.begin();
    waiting_.erase(waiting_.begin());
    const int number = probing_;
    lock.unlock();
    const bool openable = ports_.Probe(number);
    report_(number, openable);
    lock.lock();
    probing_ = 0;
  }
}

}  // namespace brisko
