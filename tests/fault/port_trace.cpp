#include "tests/fault/port_trace.h"

#include <algorithm>

namespace brisko {

namespace {
thread_local std::uint32_t lastTickOnThisThread = 0;
}  // namespace

void PortTrace::Record(PortEvent event) {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.push_back(static_cast<char>(event));
}

void PortTrace::RecordWrite(const std::string& bytes, std::uint32_t tick, bool ok,
                            std::chrono::steady_clock::time_point startedAt) {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.push_back(static_cast<char>(ok ? PortEvent::Write : PortEvent::WriteFailed));
  writes_.push_back({bytes, tick, ok, startedAt});
}

std::size_t PortTrace::Mark() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_.size();
}

std::string PortTrace::Events(std::size_t mark) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return mark < events_.size() ? events_.substr(mark) : std::string();
}

std::vector<std::string> PortTrace::Passes(std::size_t mark) const {
  const std::string events = Events(mark);
  std::vector<std::string> passes;
  std::size_t begin = 0;
  for (std::size_t end; (end = events.find(static_cast<char>(PortEvent::PassEnd), begin)) != std::string::npos;
       begin = end + 1) {
    passes.push_back(events.substr(begin, end - begin));
  }
  return passes;
}

std::size_t PortTrace::Count(PortEvent event, std::size_t mark) const {
  const std::string events = Events(mark);
  return static_cast<std::size_t>(std::count(events.begin(), events.end(), static_cast<char>(event)));
}

std::vector<TracedWrite> PortTrace::Writes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return writes_;
}

std::uint32_t TracingClock::Tick() {
  lastTickOnThisThread = inner_.Tick();
  return lastTickOnThisThread;
}

void TracingClock::Sleep(std::uint32_t milliseconds) {
  if (std::this_thread::get_id() != owner_) trace_.Record(PortEvent::PassEnd);
  inner_.Sleep(milliseconds);
}

std::uint32_t TracingClock::LastTickOnThisThread() { return lastTickOnThisThread; }

}  // namespace brisko
