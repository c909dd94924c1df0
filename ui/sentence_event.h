// The event with which the link worker's sentences reach the main dialog:
// posted from the worker's thread, handled on the user-interface thread. It
// carries the worker's running count and the index of the slot that holds the
// checked sentence.
#pragma once

#include <cstdint>

#include <QEvent>

namespace brisko {

// The registered event type, 0x8064 unless something else took that number
// first.
QEvent::Type SentenceEventType();

class SentenceEvent : public QEvent {
 public:
  SentenceEvent(std::uint32_t sequenceNumber, int slotIndex)
      : QEvent(SentenceEventType()), sequenceNumber_(sequenceNumber), slotIndex_(slotIndex) {}

  std::uint32_t sequenceNumber() const { return sequenceNumber_; }
  int slotIndex() const { return slotIndex_; }

 private:
  std::uint32_t sequenceNumber_;
  int slotIndex_;
};

}  // namespace brisko
