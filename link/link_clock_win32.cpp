// The link's clock on Windows. The tick is the wrapping 32-bit millisecond
// counter the pacing is written for, taken from the performance counter:
// GetTickCount moves in steps of 10 to 16 ms (up to 20 ms under Wine), so a
// command sent when it had advanced by 101 could leave as little as 85 ms
// after the one before; the logger needs more than 100. A timed wait is a
// plain Sleep: nothing ever cuts it short, and it ends on the same system tick
// as any other timed wait would.
#include <windows.h>

#include "link/link_clock.h"

namespace brisko {

namespace {

class Win32LinkClock final : public LinkClock {
 public:
  Win32LinkClock() {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);  // never fails since Windows XP
    countsPerSecond_ = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
  }

  std::uint32_t Tick() override {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    // Whole seconds and the rest apart, so that the product cannot overflow.
    const long long seconds = now.QuadPart / countsPerSecond_;
    const long long rest = now.QuadPart % countsPerSecond_;
    const long long milliseconds = seconds * 1000 + rest * 1000 / countsPerSecond_;
    // Truncating to 32 bits gives the wrapping counter the pacing expects.
    return static_cast<std::uint32_t>(milliseconds);
  }

  void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }

 private:
  long long countsPerSecond_ = 1;
};

}  // namespace

std::unique_ptr<LinkClock> MakeSystemClock() { return std::make_unique<Win32LinkClock>(); }

}  // namespace brisko
