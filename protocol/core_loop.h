// The user-interface thread of a LoggerCore that runs without a window (the
// command line, the end-to-end tests): the worker's posts wait in a queue
// under a short lock, and a loop on the owner's thread hands them to the core
// and runs the 500 ms staleness timer, as a window's message loop would.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "link/port_names.h"
#include "link/sentence_poster.h"

namespace brisko {

class LoggerCore;

// A post as the loop receives it: a sentence, the news that the port's
// device is gone (lost), or a probe's result (probedPort not 0).
struct QueuedPost {
  std::uint32_t run = 0;
  std::uint32_t sequenceNumber = 0;
  int slot = 0;
  bool lost = false;
  int probedPort = 0;
  bool openable = false;
};

// The posts run on the worker thread and must not block for long: they only
// append to a queue under a short lock.
class QueuedPoster : public SentencePoster {
 public:
  void PostSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) override;
  void PostPortLost(std::uint32_t run) override;
  void PostPortProbed(int portNumber, bool openable) override;
  // Waits up to `timeout` for the next post.
  bool Pop(QueuedPost& post, std::chrono::milliseconds timeout);
  long postedCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return postedCount_;
  }

 private:
  long postedCount_ = 0;
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<QueuedPost> queue_;
};

class CoreLoop {
 public:
  explicit CoreLoop(QueuedPoster& poster) : poster_(poster) {}

  // Hands posts to `core` and ticks its timer until `done` holds or `timeout`
  // passes; returns whether `done` held.
  bool PumpUntil(LoggerCore& core, const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Posts taken from the queue and handed to the core, dispatched or dropped.
  long sentencesHandled() const { return sentencesHandled_; }
  // Probe results handed to the core.
  std::size_t probesHandled() const { return probesHandled_; }
  // A thorough look at the system's ports (`present`, what it names now), as
  // at the dialog's start; returns the ports listed once every probe it
  // caused has come back, or when `timeout` passes.
  std::vector<int> ListAfterLook(LoggerCore& core, const PortPresence& present, std::chrono::milliseconds timeout);

 private:
  QueuedPoster& poster_;
  std::chrono::steady_clock::time_point nextTimer_ = std::chrono::steady_clock::now();
  long sentencesHandled_ = 0;
  std::size_t probesHandled_ = 0;
};

}  // namespace brisko
