// Counts, in the bytes the simulator has actually written to the tool, the
// sentences that the tool's own framing accepts, so that a long run can be
// checked against the number of sentences the tool dispatched. Damaged lines
// that still pass (noise on a "$" or a carriage return) count, garbage does
// not. Single-threaded.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/sentence_framing.h"
#include "link/sentence_slots.h"

namespace brisko {

class WrittenSentenceCount {
 public:
  WrittenSentenceCount() : framer_(slots_) {}
  WrittenSentenceCount(const WrittenSentenceCount&) = delete;
  WrittenSentenceCount& operator=(const WrittenSentenceCount&) = delete;

  // `count` bytes went out on the line, in order.
  void Written(const char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      if (framer_.AcceptByte(static_cast<unsigned char>(bytes[i])).outcome == FrameOutcome::SentenceReady) ++good_;
    }
  }

  std::uint64_t good() const { return good_; }

 private:
  SentenceSlots slots_;
  SentenceFramer framer_;
  std::uint64_t good_ = 0;
};

}  // namespace brisko
