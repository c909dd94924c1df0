// The events with which the link worker's sentences, and the news that its
// port's device is gone, reach the main dialog: posted from the worker's
// thread, handled on the user-interface thread. A sentence carries its notice
// as the neutral dialog packed it; the news of a lost port the worker's run.
#pragma once

#include <cstdint>

#include <QEvent>

#include "dialog/sentence_notice.h"

namespace brisko {

// Registered event types, thread-safe on first use.
QEvent::Type SentenceEventType();
QEvent::Type PortLostEventType();

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

}  // namespace brisko
