#include "protocol/core_loop.h"

#include <algorithm>

#include "protocol/logger_core.h"

namespace brisko {

namespace {
constexpr auto kTimerPeriod = std::chrono::milliseconds(500);
}  // namespace

void QueuedPoster::PostSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back({run, sequenceNumber, slotIndex, false});
    ++postedCount_;
  }
  posted_.notify_one();
}

void QueuedPoster::PostPortLost(std::uint32_t run) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back({run, 0, 0, true});
  }
  posted_.notify_one();
}

void QueuedPoster::PostPortProbed(int portNumber, bool openable) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    QueuedPost post;
    post.probedPort = portNumber;
    post.openable = openable;
    queue_.push_back(post);
  }
  posted_.notify_one();
}

bool QueuedPoster::Pop(QueuedPost& post, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!posted_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) return false;
  post = queue_.front();
  queue_.pop_front();
  return true;
}

bool CoreLoop::PumpUntil(LoggerCore& core, const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    if (now >= nextTimer_) {
      core.OnTimer();
      nextTimer_ = now + kTimerPeriod;
      continue;
    }
    const auto wait = std::min(nextTimer_, deadline) - now;
    QueuedPost post;
    if (!poster_.Pop(post, std::chrono::duration_cast<std::chrono::milliseconds>(wait) + std::chrono::milliseconds(1))) {
      continue;
    }
    if (post.probedPort != 0) {
      core.OnPortProbed(post.probedPort, post.openable);
      ++probesHandled_;
    } else if (post.lost) {
      core.OnPortLost(post.run);
    } else {
      core.OnSentence(post.run, post.sequenceNumber, post.slot);
      ++sentencesHandled_;
    }
  }
}

std::vector<int> CoreLoop::ListAfterLook(LoggerCore& core, const PortPresence& present,
                                         std::chrono::milliseconds timeout) {
  const std::vector<int>& listed = core.listedPorts();
  std::size_t probes = 0;
  for (int number : ProbeCandidates(present)) {
    if (std::find(listed.begin(), listed.end(), number) == listed.end()) ++probes;
  }
  const std::size_t target = probesHandled_ + probes;
  core.FollowPorts(true);
  PumpUntil(core, [&] { return probesHandled_ >= target; }, timeout);
  return core.listedPorts();
}

}  // namespace brisko
