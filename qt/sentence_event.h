// The events with which the link worker's sentences, and the news that its
// port's device is gone, reach the main dialog: posted from the worker's
// thread, handled on the user-interface thread. Both carry the worker's run; a
// sentence also its running count and the index of the slot that holds it.
#pragma once

#include <cstdint>

#include <QEvent>

namespace brisko {

// The registered event type, 0x8064 unless something else took that number
// first.
QEvent::Type SentenceEventType();
QEvent::Type PortLostEventType();

class SentenceEvent : public QEvent {
 public:
  SentenceEvent(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex)
      : QEvent(SentenceEventType()), run_(run), sequenceNumber_(sequenceNumber), slotIndex_(slotIndex) {}

  std::uint32_t run() const { return run_; }
  std::uint32_t sequenceNumber() const { return sequenceNumber_; }
  int slotIndex() const { return slotIndex_; }

 private:
  std::uint32_t run_;
  std::uint32_t sequenceNumber_;
  int slotIndex_;
};

class PortLostEvent : public QEvent {
 public:
  explicit PortLostEvent(std::uint32_t run) : QEvent(PortLostEventType()), run_(run) {}
  std::uint32_t run() const { return run_; }

 private:
  std::uint32_t run_;
};

}  // namespace brisko
