// The link's clock on Windows: GetTickCount is the wrapping 32-bit millisecond
// counter the pacing is written for, and a timed wait is a wait on an event
// that nobody ever signals, so it always lasts its whole time-out. One event
// serves both threads: waiting on it changes nothing.
#include <windows.h>

#include "link/link_clock.h"

namespace brisko {

namespace {

class Win32LinkClock final : public LinkClock {
 public:
  // Manual reset, not signalled, unnamed.
  Win32LinkClock() : never_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Win32LinkClock() override {
    if (never_ != nullptr) CloseHandle(never_);
  }
  Win32LinkClock(const Win32LinkClock&) = delete;
  Win32LinkClock& operator=(const Win32LinkClock&) = delete;

  std::uint32_t Tick() override { return GetTickCount(); }

  void Sleep(std::uint32_t milliseconds) override {
    // Without an event (the system refused one) a plain sleep serves as well.
    if (never_ == nullptr || WaitForSingleObject(never_, milliseconds) != WAIT_TIMEOUT) ::Sleep(milliseconds);
  }

 private:
  HANDLE never_;
};

}  // namespace

std::unique_ptr<LinkClock> MakeSystemClock() { return std::make_unique<Win32LinkClock>(); }

}  // namespace brisko
