// The events with which the link worker's sentences, the news that its port's
// device is gone, and the port list's probe results reach the main dialog:
// posted from the worker's or the probing thread, handled on the
// user-interface thread. The worker's two carry its run; a sentence also its
// running count and the index of the slot that holds it.
#pragma once

#include <cstdint>

#include <QEvent>

namespace brisko {

// The registered event type, 0x8064 unless something else took that number
// first.
QEvent::Type SentenceEventType();
QEvent::Type PortLostEventType();
QEvent::Type PortProbedEventType();

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

// A probe of the port list, finished on the probing thread.
class PortProbedEvent : public QEvent {
 public:
  PortProbedEvent(int portNumber, bool openable)
      : QEvent(PortProbedEventType()), portNumber_(portNumber), openable_(openable) {}
  int portNumber() const { return portNumber_; }
  bool openable() const { return openable_; }

 private:
  int portNumber_;
  bool openable_;
};

}  // namespace brisko
