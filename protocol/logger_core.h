// The one object that the main dialog owns for the whole run: the protocol
// (record, dispatch, command sequences) together with the link (port, worker,
// command queue, sentence slots), and the opening and closing of ports that
// ties the two together. Its handlers run on the user-interface thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/logger_callouts.h"
#include "protocol/logger_protocol.h"

namespace brisko {

class SentencePoster;

class LoggerCore : public CommandPort {
 public:
  // Uses the platform's serial ports and clock.
  LoggerCore(DialogCallouts& dialog, SentencePoster& poster);
  ~LoggerCore() override;

  DeviceRecord& record() { return protocol_.record(); }
  LoggerProtocol& protocol() { return protocol_; }

  // The numbers 1..29 of the ports that can be opened now, ascending.
  std::vector<int> EnumeratePorts();
  void OpenPort(int portNumber);
  void ClosePort();
  // A new entry was chosen in the port list: read back, close, open it.
  void OnPortSelChange();
  // At the end of the dialog: let queued commands go out, then ClosePort.
  void ExitDrain();

  void OnSentence(std::uint32_t sequenceNumber, int slotIndex);
  void OnTimer() { protocol_.OnTimer(); }
  void OnSet() { protocol_.OnSet(); }
  void OnDeleteAllFlights() { protocol_.OnDeleteAllFlights(); }

  // The full reason of the last failed open (device path, system message,
  // remedy), for the status field's tooltip; empty after a successful open.
  const std::string& portStatusDetail() const;

  bool IsPortOpen() const override;
  bool QueueCommands(const std::vector<std::string>& sequence) override;

 private:
  LoggerProtocol protocol_;
  // The link and its port layer are added by the serial link work.
};

}  // namespace brisko
