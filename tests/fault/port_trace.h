// What the link worker did on its port, in order: every read and its outcome,
// every write with the bytes and the pacing tick, every clear and purge, and
// the end of every pass (its wait, on the port or on the clock). Written by the worker thread through
// the wrapped ports and clock below, read by the test's thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/link_clock.h"

namespace brisko {

// One letter each, so that a pass reads as a short word: "rRCP." is an empty
// read, a failed read, the clear and the purge after it, and the wait.
enum class PortEvent : char {
  ReadBytes = 'b',
  ReadNothing = 'r',
  ReadFailed = 'R',
  ReadLost = 'L',
  Write = 'w',
  WriteFailed = 'W',
  ClearError = 'C',
  Purge = 'P',
  PassEnd = '.',
};

struct TracedWrite {
  std::string bytes;
  std::uint32_t tick;  // the tick the worker's pacing had just read
  bool ok;
  // Just before the write, on the standard library's clock rather than the
  // link's: the spacing as measured without the worker's own clock.
  std::chrono::steady_clock::time_point startedAt;
};

class PortTrace {
 public:
  void Record(PortEvent event);
  void RecordWrite(const std::string& bytes, std::uint32_t tick, bool ok,
                   std::chrono::steady_clock::time_point startedAt);

  // A mark to look from: the number of events so far.
  std::size_t Mark() const;
  // The events from `mark` on, as letters.
  std::string Events(std::size_t mark = 0) const;
  // The passes completed from `mark` on, one word each, without the wait.
  std::vector<std::string> Passes(std::size_t mark = 0) const;
  std::size_t Count(PortEvent event, std::size_t mark = 0) const;
  std::vector<TracedWrite> Writes() const;

 private:
  mutable std::mutex mutex_;
  std::string events_;
  std::vector<TracedWrite> writes_;
};

// Passes the time through and marks every wait of a thread other than the
// one that made the clock (the worker's, at the end of a pass on which it did
// not wait on its port) in the trace. Remembers, per thread, the last tick it
// handed out, which for the worker is the tick its pacing compared.
class TracingClock final : public LinkClock {
 public:
  TracingClock(LinkClock& inner, PortTrace& trace)
      : inner_(inner), trace_(trace), owner_(std::this_thread::get_id()) {}
  std::uint32_t Tick() override;
  void Sleep(std::uint32_t milliseconds) override;
  static std::uint32_t LastTickOnThisThread();

 private:
  LinkClock& inner_;
  PortTrace& trace_;
  std::thread::id owner_;  // the user-interface thread, whose waits are not passes
};

}  // namespace brisko
