#include "link/port_prober.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace brisko {

PortProber::PortProber(PortSystem& ports, Report report) : ports_(ports), report_(std::move(report)) {}

PortProber::~PortProber() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  for (Lane& lane : lanes_) {
    if (lane.thread.joinable()) lane.thread.join();
  }
}

void PortProber::Probe(const std::vector<int>& portNumbers) {
  std::vector<int> unthreaded;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    waiting_.insert(portNumbers.begin(), portNumbers.end());
    if (waiting_.empty()) return;
    AddLaneIfAllStuck();
    // No thread to be had at all: probe here, slow ports and all, rather than
    // leave the list empty.
    if (lanes_.empty()) {
      unthreaded.assign(waiting_.begin(), waiting_.end());
      waiting_.clear();
    }
  }
  for (int number : unthreaded) report_(number, ports_.Probe(number));
  wake_.notify_one();
}

void PortProber::AddLaneIfAllStuck() {
  const auto now = std::chrono::steady_clock::now();
  bool anyFree = false;
  bool anyStuck = false;
  for (const Lane& lane : lanes_) {
    if (lane.probing == 0) anyFree = true;
    if (lane.probing != 0 && now - lane.since >= kProbeStuckAfter) anyStuck = true;
  }
  if (anyFree || (!lanes_.empty() && !anyStuck) || lanes_.size() >= static_cast<std::size_t>(kProbeThreads)) return;
  lanes_.emplace_back();
  Lane& lane = lanes_.back();
  try {
    lane.thread = std::thread([this, &lane] { Run(lane); });
  } catch (const std::system_error&) {
    lanes_.pop_back();
  }
}

bool PortProber::Probing(int portNumber) const {
  return std::any_of(lanes_.begin(), lanes_.end(), [portNumber](const Lane& lane) { return lane.probing == portNumber; });
}

bool PortProber::AwaitProbeOf(int portNumber, std::chrono::milliseconds bound) {
  std::unique_lock<std::mutex> lock(mutex_);
  waiting_.erase(portNumber);
  return done_.wait_for(lock, bound, [&] { return !Probing(portNumber); });
}

void PortProber::Run(Lane& lane) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    // Never two probes of one port at once: a request for the number being
    // probed waits until that probe has ended.
    auto next = waiting_.end();
    wake_.wait(lock, [&] {
      next = std::find_if(waiting_.begin(), waiting_.end(), [this](int n) { return !Probing(n); });
      return stop_ || next != waiting_.end();
    });
    if (stop_) return;
    const int number = *next;
    waiting_.erase(next);
    lane.probing = number;
    lane.since = std::chrono::steady_clock::now();
    lock.unlock();
    const bool openable = ports_.Probe(number);
    report_(number, openable);
    lock.lock();
    lane.probing = 0;
    done_.notify_all();
    wake_.notify_all();  // a request for this number may be waiting
  }
}

}  // namespace brisko
