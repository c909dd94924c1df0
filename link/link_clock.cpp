#include "link/link_clock.h"

#include <chrono>
#include <thread>

namespace brisko {

namespace {

class SteadyLinkClock final : public LinkClock {
 public:
  std::uint32_t Tick() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    // Truncating to 32 bits gives the wrapping counter the pacing expects.
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }
  void Sleep(std::uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

}  // namespace

std::unique_ptr<LinkClock> MakeSystemClock() { return std::make_unique<SteadyLinkClock>(); }

}  // namespace brisko
