// The device record with the protocol state beside it, the dispatch of checked
// sentences into the record, the reply handlers, the staleness rule, and the
// Set and flight-deletion decisions. Runs on the user-interface thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/device_record.h"
#include "protocol/logger_callouts.h"

namespace brisko {

class SentenceSlots;

class LoggerProtocol {
 public:
  LoggerProtocol(DialogCallouts& dialog, CommandPort& port);

  DeviceRecord& record() { return record_; }
  const DeviceRecord& record() const { return record_; }

  // Handler of a posted sentence: copies slot `slotIndex` (posted as
  // `sequenceNumber`) and dispatches it. A slot that the worker has begun to
  // refill since the post is dropped unseen (false).
  bool OnSentence(const SentenceSlots& slots, std::uint32_t sequenceNumber, int slotIndex);
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

  // Protocol state.
  std::int64_t lastSentenceTime() const { return lastSentenceTime_; }
  void setLastSentenceTime(std::int64_t seconds) { lastSentenceTime_ = seconds; }
  bool nt0Family() const { return nt0Family_; }
  bool nt800Family() const { return nt800Family_; }

  // Takes the next comma-separated field off the front of workLine into
  // `field` (the comma is consumed, never stored); true when the field is not
  // empty. With no comma left it takes the whole rest.
  bool NextField(std::string& field);
  // The sentence being parsed, from the front not yet consumed; empty between
  // sentences. Setting it is for tests of NextField.
  std::string_view workLine() const;
  void setWorkLine(std::string_view text);

 private:
  void ReadIdentity();
  void HandleNt0();
  void HandleNt3();
  void HandleNt6();
  void HandleNt7();
  void HandleNt800();
  void HandleNt801();
  void HandleNt805();

  DialogCallouts& dialog_;
  CommandPort& port_;
  DeviceRecord record_;
  std::int64_t lastSentenceTime_ = 0;  // whole seconds; 0: nothing to watch
  std::string workLine_;
  std::size_t workPos_ = 0;  // consumed prefix of workLine_
  // Reused buffers, so that the receive path does not allocate per sentence.
  std::string copyBuffer_;
  std::string header_;
  std::string field_;
  bool nt0Family_ = false;
  bool nt800Family_ = false;
};

}  // namespace brisko
