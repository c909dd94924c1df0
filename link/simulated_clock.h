// A clock for tests: the tick moves only when someone sleeps or the test sets
// it, so pacing and waits run without real time. Safe to share between the
// worker thread and the test's thread; with a real pause per sleep the two
// threads take turns instead of one spinning ahead.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "link/link_clock.h"

namespace brisko {

class SimulatedClock final : public LinkClock {
 public:
  explicit SimulatedClock(std::uint32_t startTick = 0,
                          std::chrono::microseconds realPausePerSleep = std::chrono::microseconds(0))
      : tick_(startTick), realPause_(realPausePerSleep) {}

  std::uint32_t Tick() override { return tick_.load(std::memory_order_acquire); }

  void Sleep(std::uint32_t milliseconds) override {
    tick_.fetch_add(milliseconds, std::memory_order_acq_rel);
    if (realPause_.count() > 0) {
      std::this_thread::sleep_for(realPause_);
    } else {
      std::this_thread::yield();
    }
  }

  void SetTick(std::uint32_t tick) { tick_.store(tick, std::memory_order_release); }

 private:
  std::atomic<std::uint32_t> tick_;
  std::chrono::microseconds realPause_;
};

}  // namespace brisko
