#include "qt/sentence_event.h"

namespace brisko {

QEvent::Type SentenceEventType() {
  // Registering reserves a number, so no other part of the program can post a
  // different event under it.
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
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
