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
#include <string_view>

#include "link/sentence_slots.h"

namespace brisko {

enum class FrameOutcome { Continue, SentenceReady, SentenceBad, Restarted, Overrun };

struct FrameResult {
  FrameOutcome outcome;
  int slot;  // the slot that holds the line for SentenceReady and SentenceBad, else -1
  // For SentenceReady and SentenceBad: the checksum the line carried (its two
  // characters after the "*" as a number, -1 unless both are uppercase
  // hexadecimal digits) and the one computed over its body; both -1 when the
  // line had no "*". The slot keeps only the text before the "*".
  int sentChecksum = -1;
  int computedChecksum = -1;
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

struct ChecksumCheck {
  bool matches = false;
  int sent = -1;      // as FrameResult::sentChecksum
  int computed = -1;  // as FrameResult::computedChecksum
};

// Checks the NUL-terminated line in the slot against its "*XX" tail and cuts
// the slot at the "*" (whether or not it matches). No match when there is no
// "*" among the first 256 bytes before a NUL, or when the digits do not match.
ChecksumCheck VerifyChecksum(SentenceSlots& slots, int slot);

// The checksum of a sentence: the XOR of every byte after the first (the "$"),
// as unsigned 8-bit values; 0 for a text of one byte or none.
unsigned char SentenceChecksum(std::string_view sentence);

// "*", the checksum as two uppercase hexadecimal digits, CR, LF.
std::string ChecksumTail(unsigned char checksum);

// Appends the tail with the sentence's own checksum: "$NT800,1" becomes
// "$NT800,1*3F\r\n".
void AppendChecksum(std::string& text);

// The sentence with its tail appended, as it goes on the wire.
std::string WithChecksumTail(std::string sentence);

}  // namespace brisko
