// Time as the link sees it: a wrapping 32-bit millisecond tick for the
// worker's pacing and timed waits for both threads. Both threads call the same
// clock, so an implementation must be safe to call from either.
#pragma once

#include <cstdint>
#include <memory>

namespace brisko {

class LinkClock {
 public:
  virtual ~LinkClock() = default;
  // Milliseconds on a counter that wraps after 2^32.
  virtual std::uint32_t Tick() = 0;
  // Blocks the calling thread for the whole time.
  virtual void Sleep(std::uint32_t milliseconds) = 0;
};

// The real monotonic clock.
std::unique_ptr<LinkClock> MakeSystemClock();

}  // namespace brisko
