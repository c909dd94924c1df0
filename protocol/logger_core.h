// The one object that the main dialog owns for the whole run: the protocol
// (record, dispatch, command sequences) together with the link (port, worker,
// command queue, sentence slots), and the opening and closing of ports that
// ties the two together. Its handlers run on the user-interface thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "link/serial_link.h"
#include "link/serial_port.h"
#include "protocol/logger_callouts.h"
#include "protocol/logger_protocol.h"
#include "protocol/platform.h"

namespace brisko {

class SentencePoster;

class LoggerCore : public CommandPort {
 public:
  // The platform's ports and link clock must outlive the core.
  LoggerCore(DialogCallouts& dialog, SentencePoster& poster, const Platform& platform);
  // Stops the worker and closes the port if one is still open.
  ~LoggerCore() override;
  LoggerCore(const LoggerCore&) = delete;
  LoggerCore& operator=(const LoggerCore&) = delete;

  // The record the dialog exchanges with its controls.
  DeviceRecord& record() { return protocol_.record(); }
  const DeviceRecord& record() const { return protocol_.record(); }
  const std::string& portStatus() const { return protocol_.record().portStatus; }

  // The ports that can be opened now, ascending: every candidate the system
  // has (ProbeCandidates), probed here one after the other.
  std::vector<int> EnumeratePorts();
  // The port whose list entry stays whatever the system says: the open port,
  // or the one just lost until another open is tried; 0 for none.
  int HeldPortNumber() const { return holdsPort_ ? openPortNumber_ : 0; }
  void OpenPort(int portNumber);
  void ClosePort();
  // A new entry was chosen in the port list: read back, close, open it.
  void OnPortSelChange();
  // At the end of the dialog: let queued commands go out, then ClosePort.
  void ExitDrain();

  // A sentence posted by the worker of `run`. One from a run that has ended
  // (its port closed or changed since) is dropped without reading its slot,
  // which the next run may have refilled under the same number.
  void OnSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex);
  // The run of the port open now, or of the last one opened.
  std::uint32_t openRun() const { return link_.run(); }
  // The worker of `run` found the port's device gone and stopped: the port is
  // closed, the status says "COMn lost" and the port's controls go off, as
  // after a failed open. Nothing when that port was closed or changed since.
  void OnPortLost(std::uint32_t run);
  // The system no longer names the open port's device: the port is closed
  // and reported lost as above. Nothing when no port is open.
  void OnOpenPortVanished();
  // Posted sentences dropped because the worker had begun to refill their
  // slot before they were handled (the user-interface thread fell behind by a
  // whole ring) or their run had ended, counted over the core's life.
  std::uint64_t droppedSentences() const { return droppedSentences_; }
  void OnTimer() { protocol_.OnTimer(); }
  void OnSet() { protocol_.OnSet(); }
  void OnDeleteAllFlights() { protocol_.OnDeleteAllFlights(); }

  // Starts a trace of the line into `path` (created or emptied), headed by
  // this program, its build, the system and the time; a running trace is
  // stopped first. False with the system's words in `error`. Nothing is sent
  // to the logger and no port is opened for it.
  bool StartTrace(const std::string& path, std::string& error);
  // Writes what was handed over and closes the file.
  void StopTrace() { link_.trace().Stop(); }
  const TraceWriter& trace() const { return link_.trace(); }
  // The system began or ceased to name port n (the port list's news), for
  // the trace.
  void NotePortPresence(int portNumber, bool present);

  // The full reason of the last failed open or lost port (device path, system
  // message, remedy), for the status field's tooltip; empty after a
  // successful open.
  const std::string& portStatusDetail() const { return portStatusDetail_; }
  // The last failure of each port that failed to open or was lost, in the
  // system's words, for the diagnostics report; kept for the whole run.
  const std::map<int, std::string>& portFailures() const { return portFailures_; }

  bool IsPortOpen() const override { return link_.IsOpen(); }
  bool QueueCommands(const std::vector<std::string>& sequence) override { return link_.QueueCommands(sequence); }

 private:
  // A failed open or a lost port: status and tooltip, controls off, fields blank.
  void ShowPortClosed(const std::string& status, const std::string& detail);
  void NoteFailure(int portNumber, const std::string& systemMessage, const std::string& fallback);

  DialogCallouts& dialog_;
  PortSystem& ports_;
  WallClock wallClock_;
  LoggerProtocol protocol_;
  std::string portStatusDetail_;
  std::map<int, std::string> portFailures_;
  std::uint64_t droppedSentences_ = 0;
  int openPortNumber_ = 0;
  bool holdsPort_ = false;  // the last open succeeded
  // Last, so that it is destroyed first: the worker stops before the rest goes.
  SerialLink link_;
};

}  // namespace brisko
