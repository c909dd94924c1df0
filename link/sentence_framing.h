// Receive framing and the checksum of the logger's sentences, both directions.
//
// Initial conditions: reads can split a line anywhere, noise may come first,
// and lines may be overlong or corrupt. The policy is to start over on anything
// unexpected, because another good sentence will come soon: a "$" inside a line
// restarts it, a line longer than 256 bytes is dropped, a line whose checksum
// does not match is dropped. Constant work per byte, no allocation.
// AcceptByte runs on the link worker's thread only.
#pragma once

#include <string>

#include "link/sentence_slots.h"

namespace brisko {

enum class FrameOutcome { Continue, SentenceReady, SentenceBad, Restarted, Overrun };

struct FrameResult {
  FrameOutcome outcome;
  int slot;  // the slot that holds the line for SentenceReady and SentenceBad, else -1
};

// The framing state of one worker run over the shared slots.
class SentenceFramer {
 public:
  explicit SentenceFramer(SentenceSlots& slots) : slots_(slots) {}

  // Back to slot 0, position 0: done whenever a worker run starts.
  void Reset() {
    slotIndex_ = 0;
    linePos_ = 0;
  }

  FrameResult AcceptByte(unsigned char byte);

  int slotIndex() const { return slotIndex_; }
  int linePos() const { return linePos_; }

 private:
  SentenceSlots& slots_;
  int slotIndex_ = 0;  // 0..29, the slot being filled
  int linePos_ = 0;    // bytes of the current line stored so far
};

// Checks the NUL-terminated line in the slot against its "*XX" tail and cuts
// the slot at the "*" (whether or not it matches). False when there is no "*"
// among the first 256 bytes before a NUL, or when the digits do not match.
bool VerifyChecksum(SentenceSlots& slots, int slot);

// The XOR of the bytes as unsigned 8-bit values.
unsigned char XorOf(const char* begin, const char* end);

// Appends "*%02X\r\n" with the XOR of every byte after the first: "$NT800,1"
// becomes "$NT800,1*3F\r\n".
void AppendChecksum(std::string& text);

}  // namespace brisko
