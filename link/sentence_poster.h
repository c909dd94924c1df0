// How the link worker hands a good sentence to its owner: one call, made on the
// worker's thread, that must not block (the dialog turns it into a posted
// WM_SENTENCE event and handles it on the user-interface thread).
#pragma once

#include <cstdint>

namespace brisko {

class SentencePoster {
 public:
  virtual ~SentencePoster() = default;
  // sequenceNumber counts the sentences posted in this worker run from 0;
  // slotIndex (0..29) names the slot that holds the checked sentence.
  virtual void PostSentence(std::uint32_t sequenceNumber, int slotIndex) = 0;
};

}  // namespace brisko
