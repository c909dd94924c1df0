// The device record with the protocol state beside it, the dispatch of checked
// sentences into the record, the reply handlers, the staleness rule, and the
// Set and flight-deletion decisions. Runs on the user-interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/sentence_text.h"
#include "protocol/device_record.h"
#include "protocol/logger_callouts.h"
#include "protocol/logger_family.h"
#include "protocol/platform.h"

namespace brisko {

class SentenceSlots;

class LoggerProtocol {
 public:
  // The wall clock stamps each sentence for the staleness rule.
  LoggerProtocol(DialogCallouts& dialog, CommandPort& port, WallClock wallClock);

  DeviceRecord& record() { return record_; }
  const DeviceRecord& record() const { return record_; }

  // Handler of a posted sentence: copies slot `slotIndex` (posted as
  // `sequenceNumber`) and dispatches it. A slot that the worker has begun to
  // refill since the post is dropped unseen.
  void OnSentence(const SentenceSlots& slots, std::uint32_t sequenceNumber, int slotIndex);
  // Dispatches one checked sentence (header and fields, without the "*" tail);
  // at most its first 256 bytes are looked at.
  void DispatchSentence(std::string_view sentence);

  // The 500 ms staleness timer.
  void OnTimer();
  // Blanks the logger-derived fields and refreshes the controls.
  void ClearDeviceFields();

  // The "&Set" and "&Delete all flights" buttons.
  void OnSet();
  void OnDeleteAllFlights();

  // Stamps the last sentence's time for the staleness rule; 0 watches nothing.
  void setLastSentenceTime(std::int64_t seconds) { lastSentenceTime_ = seconds; }
  // The family of the last identifying reply: First after reply 0, Second
  // after reply 800, Unknown before either.
  LoggerFamily family() const { return family_; }

 private:
  // Each reads the fields after the header's comma, in order.
  void ReadIdentity(FieldReader& fields);
  void HandleNt0(FieldReader fields);
  void HandleNt3(FieldReader fields);
  void HandleNt6(FieldReader fields);
  void HandleNt7(FieldReader fields);
  void HandleNt800(FieldReader fields);
  void HandleNt801(FieldReader fields);
  void HandleNt805(FieldReader fields);
  // "First select a COM port !" under `caption` when no port is open (true).
  bool RefuseWithoutPort(const char* caption);
  // The deletion question; true only for Yes with the port still open.
  bool ConfirmDeletion();

  DialogCallouts& dialog_;
  CommandPort& port_;
  WallClock wallClock_;
  DeviceRecord record_;
  std::int64_t lastSentenceTime_ = 0;  // whole seconds; 0: nothing to watch
  // Reused, so that the receive path does not allocate per sentence.
  std::string copyBuffer_;
  LoggerFamily family_ = LoggerFamily::Unknown;
};

}  // namespace brisko
