// The one object that the main dialog owns for the whole run: the protocol
// (record, dispatch, command sequences) together with the link (port, worker,
// command queue, sentence slots), and the opening and closing of ports that
// ties the two together. Its handlers run on the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/link_clock.h"
#include "link/serial_link.h"
#include "link/serial_port.h"
#include "protocol/logger_callouts.h"
#include "protocol/logger_protocol.h"

namespace brisko {

class SentencePoster;

class LoggerCore : public CommandPort {
 public:
  // Uses the platform's serial ports and clock.
  LoggerCore(DialogCallouts& dialog, SentencePoster& poster);
  // Uses the given ports and clock (simulated ones in tests); both must
  // outlive the core.
  LoggerCore(DialogCallouts& dialog, SentencePoster& poster, PortSystem& ports, LinkClock& clock);
  // Stops the worker and closes the port if one is still open.
  ~LoggerCore() override;
  LoggerCore(const LoggerCore&) = delete;
  LoggerCore& operator=(const LoggerCore&) = delete;

  DeviceRecord& record() { return protocol_.record(); }
  LoggerProtocol& protocol() { return protocol_; }
  SerialLink& link() { return link_; }

  // The numbers of the listed ports (kFirstListedPort..kLastListedPort) that
  // can be opened now, ascending.
  std::vector<int> EnumeratePorts();
  void OpenPort(int portNumber);
  void ClosePort();
  // A new entry was chosen in the port list: read back, close, open it.
  void OnPortSelChange();
  // At the end of the dialog: let queued commands go out, then ClosePort.
  void ExitDrain();

  void OnSentence(std::uint32_t sequenceNumber, int slotIndex);
  // Posted sentences dropped because the worker had begun to refill their
  // slot before they were handled (the user-interface thread fell behind by a
  // whole ring), counted over the core's life.
  std::uint64_t droppedSentences() const { return droppedSentences_; }
  void OnTimer() { protocol_.OnTimer(); }
  void OnSet() { protocol_.OnSet(); }
  void OnDeleteAllFlights() { protocol_.OnDeleteAllFlights(); }

  // The full reason of the last failed open (device path, system message,
  // remedy), for the status field's tooltip; empty after a successful open.
  const std::string& portStatusDetail() const { return portStatusDetail_; }

  bool IsPortOpen() const override { return link_.IsOpen(); }
  bool QueueCommands(const std::vector<std::string>& sequence) override { return link_.QueueCommands(sequence); }

 private:
  // Set only by the platform constructor; declared first so that they exist
  // before the link that refers to them.
  std::unique_ptr<PortSystem> ownedPorts_;
  std::unique_ptr<LinkClock> ownedClock_;
  DialogCallouts& dialog_;
  PortSystem& ports_;
  LoggerProtocol protocol_;
  std::string portStatusDetail_;
  std::uint64_t droppedSentences_ = 0;
  // Last, so that it is destroyed first: the worker stops before the rest goes.
  SerialLink link_;
};

}  // namespace brisko
