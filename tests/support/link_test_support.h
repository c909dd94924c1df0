// Helpers shared by the link and session tests: a poster that records what the
// worker posted, and the tests' bounded wait.
#pragma once

#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "link/sentence_poster.h"
#include "tests/support/wait_until.h"

namespace brisko {

struct Posted {
  std::uint32_t sequenceNumber;
  int slot;
  std::uint32_t run = 0;  // not compared: most tests look at one run
  bool operator==(const Posted& other) const { return sequenceNumber == other.sequenceNumber && slot == other.slot; }
};

class RecordingPoster final : public SentencePoster {
 public:
  void PostSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) override {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back({sequenceNumber, slotIndex, run});
  }
  void PostPortLost(std::uint32_t run) override {
    std::lock_guard<std::mutex> lock(mutex_);
    lostRuns_.push_back(run);
  }
  void PostPortProbed(int portNumber, bool openable) override {
    std::lock_guard<std::mutex> lock(mutex_);
    probed_.emplace_back(portNumber, openable);
  }
  std::vector<std::pair<int, bool>> TakeProbed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(probed_, {});
  }
  std::vector<std::uint32_t> lostRuns() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lostRuns_;
  }
  std::vector<Posted> posted() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return posted_;
  }
  std::size_t count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return posted_.size();
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Posted> posted_;
  std::vector<std::uint32_t> lostRuns_;
  std::vector<std::pair<int, bool>> probed_;
};

}  // namespace brisko
