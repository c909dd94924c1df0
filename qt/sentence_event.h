// The events with which the link worker's sentences, the news that its port's
// device is gone, and the port list's probe results reach the main dialog:
// posted from the worker's or the probing thread, handled on the
// user-interface thread. A sentence carries its notice as the neutral dialog
// packed it; the news of a lost port the worker's run; a probe result the
// port's number and whether it opened.
#pragma once

#include <cstdint>

#include <QEvent>

#include "dialog/sentence_notice.h"

namespace brisko {

// Registered event types, thread-safe on first use.
QEvent::Type SentenceEventType();
QEvent::Type PortLostEventType();
QEvent::Type PortProbedEventType();

class SentenceEvent : public QEvent {
 public:
  explicit SentenceEvent(SentenceNotice notice) : QEvent(SentenceEventType()), notice_(notice) {}
  SentenceNotice notice() const { return notice_; }

 private:
  SentenceNotice notice_;
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
