// The one bounded wait of the tests: a condition polled until it holds or a
// generous deadline passes, after one round of the thread's events (a front
// end's loop, the notices a test hands on) each time. A test that has failed
// waits no more, so it ends after one timed-out wait, not one per step.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

namespace brisko {

inline constexpr std::chrono::milliseconds kGenerousWait{20000};

// True as soon as the condition holds; false once the deadline has passed.
inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = kGenerousWait,
                      const std::function<void()>& pump = nullptr) {
  if (::testing::Test::HasFailure()) deadline = std::chrono::milliseconds(0);
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    if (pump) pump();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace brisko
