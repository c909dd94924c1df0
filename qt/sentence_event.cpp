#include "qt/sentence_event.h"

#include "dialog/control_ids.h"

namespace brisko {

QEvent::Type SentenceEventType() {
  static_assert(kSentenceEventType > QEvent::User && kSentenceEventType <= QEvent::MaxUser,
                "the sentence event must lie in Qt's user range");
  // Registering reserves the number, so no other part of the program can post
  // a different event under it; thread-safe on first use.
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType(kSentenceEventType));
  return type;
}

QEvent::Type PortLostEventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

QEvent::Type PortProbedEventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

}  // namespace brisko
