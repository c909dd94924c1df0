// The machine's own link clock. The pacing trusts that a tick that has moved
// on by more than 100 means more than 100 ms have passed; a counter that
// moves in coarse steps (GetTickCount's 10 to 20 ms) breaks that, and
// commands then leave early.
#include "link/link_clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>

namespace brisko {
namespace {

TEST(SystemLinkClockTest, MoreThan100TicksAreMoreThan100Milliseconds) {
  const std::unique_ptr<LinkClock> clock = MakeSystemClock();
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    // Read before the first tick and after the last, so the two readings
    // enclose the ticks' moments.
    const auto before = std::chrono::steady_clock::now();
    const std::uint32_t first = clock->Tick();
    while (static_cast<std::uint32_t>(clock->Tick() - first) <= 100) clock->Sleep(1);  // as the worker waits
    const auto elapsed = std::chrono::steady_clock::now() - before;
    EXPECT_GT(elapsed, std::chrono::milliseconds(100))
        << std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count() << " us";
  }
}

}  // namespace
}  // namespace brisko
