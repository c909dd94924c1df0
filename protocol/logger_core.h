// The one object that the main dialog owns for the whole run: the protocol
// (record, dispatch, command sequences) together with the link (port, worker,
// command queue, sentence slots), the opening and closing of ports that ties
// the two together, and the port list: which port is held and which are
// listed. A port lost while open is watched, and opened again by itself when
// it comes back under its number (and, where the system tells, on the same
// adapter). Its handlers run on the user-interface thread.
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
#include "protocol/port_list.h"

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

  // Opens port n as the user's choice (or the restored one): a probe of it in
  // progress ends first, and a lost port is no longer watched. An open port
  // joins the list.
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

  // --- The port list ---
  // The port whose list entry stays whatever the system says: the open port,
  // or the one just lost until another open is tried; 0 for none.
  int HeldPortNumber() const { return holdsPort_ ? openPortNumber_ : 0; }
  // The ports listed now, ascending, as the dialog shows them.
  const std::vector<int>& listedPorts() const { return portList_.listed(); }
  // A look at the system's ports (see PortList::Look). The held port gone is
  // reported lost, and a lost port is probed to see whether it came back.
  void FollowPorts(bool thorough);
  // The system says port n went: its entry leaves, or, when it is the open
  // port, the port is reported lost.
  void OnSystemPortRemoved(int portNumber);
  // A probe's result, posted back: the port joins the list, or, when it is
  // the lost port back again, it is opened as if the user had chosen it.
  void OnPortProbed(int portNumber, bool openable);
  // At the end: probes stop (the ones in progress are waited for).
  void StopFollowingPorts() { portList_.StopProbing(); }
  void OnTimer() { protocol_.OnTimer(); }
  void OnSet() { protocol_.OnSet(); }
  void OnDeleteAllFlights() { protocol_.OnDeleteAllFlights(); }
  // Identify again on the open port: the logger-derived fields go blank and
  // the identification commands are queued, so that what the record shows
  // next is what the logger reports now. False when nothing could be queued.
  bool Reidentify();
  LoggerFamily family() const { return protocol_.family(); }
  // True while any queued command has not yet left.
  bool CommandsPending() const { return link_.CommandsPending(); }

  // Starts a trace of the line into `path` (created or emptied), headed by
  // this program, its build, the system and the time; a running trace is
  // stopped first. False with the system's words in `error`. Nothing is sent
  // to the logger and no port is opened for it.
  bool StartTrace(const std::string& path, std::string& error);
  // Writes what was handed over and closes the file.
  void StopTrace() { link_.trace().Stop(); }
  const TraceWriter& trace() const { return link_.trace(); }

  // The full reason of the last failed open or lost port (device path, system
  // message, remedy), for the status field's tooltip; empty after a
  // successful open.
  const std::string& portStatusDetail() const { return portStatusDetail_; }
  // The last failure of each port that failed to open or was lost, in the
  // system's words, for the diagnostics report; kept for the whole run.
  const std::map<int, std::string>& portFailures() const { return portFailures_; }

  bool IsPortOpen() const override { return link_.IsOpen(); }
  bool QueueCommands(const std::vector<std::string>& sequence) override {
    const bool queued = link_.QueueCommands(sequence);
    if (queued) ++sequencesQueued_;
    return queued;
  }
  // The Set and deletion sequences the protocol queued over the core's life:
  // whether one was queued, even when the worker has sent it already.
  std::uint64_t sequencesQueued() const { return sequencesQueued_; }

 private:
  // The system began or ceased to name port n (the port list's news), for
  // the trace.
  void NotePortPresence(int portNumber, bool present);

  bool Open(int portNumber);
  // The open port went: closed, reported lost and watched. `seenGone` when the
  // system itself said so (not only the link's reads).
  void Lose(const std::string& reason, bool seenGone);
  // The lost port can be opened again: the same adapter (as far as the system
  // tells) is opened as if chosen.
  void BringBack();
  // A failed open or a lost port: status and tooltip, controls off, fields blank.
  void ShowPortClosed(const std::string& status, const std::string& detail);
  void NoteFailure(int portNumber, const std::string& systemMessage, const std::string& fallback);

  DialogCallouts& dialog_;
  PortSystem& ports_;
  WallClock wallClock_;
  LoggerProtocol protocol_;
  std::string portStatusDetail_;
  std::map<int, std::string> portFailures_;
  std::uint64_t sequencesQueued_ = 0;
  int openPortNumber_ = 0;
  bool holdsPort_ = false;  // the last open succeeded
  AdapterInfo openAdapter_;  // behind the port opened last
  // The port lost while open, until it comes back or another open is tried;
  // it comes back only after a probe or the system has seen it gone, so a
  // port whose reads fail while it stays plugged in is not opened in a loop.
  int lostPort_ = 0;
  bool lostPortSeenGone_ = false;
  PortList portList_;
  // Last, so that it is destroyed first: the worker stops before the rest goes.
  SerialLink link_;
};

}  // namespace brisko
