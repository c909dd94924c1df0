#include "protocol/logger_core.h"

#include "link/port_names.h"

#include "protocol/commands.h"
#include "link/decimal.h"
#include "protocol/host_system.h"
#include "protocol/port_session.h"

#include "brisko_version.h"

namespace brisko {

LoggerCore::LoggerCore(DialogCallouts& dialog, SentencePoster& poster, const Platform& platform)
    : dialog_(dialog),
      ports_(platform.ports),
      wallClock_(platform.wallClock),
      protocol_(dialog, *this, platform.wallClock),
      link_(platform.ports, platform.linkClock, poster) {
  link_.trace().SetFailureNotice([&poster](const std::string& message) { poster.PostTraceStopped(message); });
}

bool LoggerCore::StartTrace(const std::string& path, std::string& error) {
  const HostSystem host = DescribeHostSystem();
  const TraceHeader header{std::string(kApplicationName) + " " + kApplicationVersion, BuildBits(), host.system,
                           host.codePage, UtcTimestampNow()};
  if (!link_.trace().Start(path, header, error)) return false;
  // A trace begun on an open port says which one it is.
  if (link_.IsOpen()) link_.trace().Note(TraceDirection::Open, openPortNumber_, "(open before the trace began)");
  return true;
}

void LoggerCore::NotePortPresence(int portNumber, bool present) {
  link_.trace().Note(present ? TraceDirection::Appeared : TraceDirection::Removed, portNumber, std::string());
}

LoggerCore::~LoggerCore() { ClosePort(); }

std::vector<int> LoggerCore::EnumeratePorts() {
  std::vector<int> openable;
  for (int portNumber : ProbeCandidates(ports_.PresentPorts())) {
    // Only opened and closed: a port that is never chosen keeps its settings.
    if (ports_.Probe(portNumber)) openable.push_back(portNumber);
  }
  return openable;
}

void LoggerCore::OpenPort(int portNumber) {
  PortOpenError error;
  holdsPort_ = link_.Open(portNumber, error);
  if (!holdsPort_) {
    NoteFailure(portNumber, error.systemMessage, OpenFailureStatus(portNumber, error.kind));
    ShowPortClosed(OpenFailureStatus(portNumber, error.kind), OpenFailureDetail(portNumber, error));
    return;
  }
  openPortNumber_ = portNumber;
  // The ring was emptied by the open, so the three always fit.
  link_.QueueCommands(IdentificationSequence());
  record().portStatus = OpenOkStatus(portNumber);
  portStatusDetail_.clear();
  dialog_.EnablePortControls(true);
  protocol_.setLastSentenceTime(wallClock_());
  protocol_.ClearDeviceFields();
}

void LoggerCore::OnPortLost(std::uint32_t run) {
  std::string reason;
  if (!link_.CloseLostPort(run, reason)) return;
  NoteFailure(openPortNumber_, reason, PortLostStatus(openPortNumber_));
  ShowPortClosed(PortLostStatus(openPortNumber_), PortLostDetail(openPortNumber_, reason));
}

void LoggerCore::OnOpenPortVanished() {
  if (!link_.IsOpen()) return;
  link_.Close();
  NotePortPresence(openPortNumber_, false);
  static constexpr char kVanished[] = "the system no longer lists the port's device";
  NoteFailure(openPortNumber_, kVanished, PortLostStatus(openPortNumber_));
  ShowPortClosed(PortLostStatus(openPortNumber_), PortLostDetail(openPortNumber_, kVanished));
}

void LoggerCore::NoteFailure(int portNumber, const std::string& systemMessage, const std::string& fallback) {
  portFailures_[portNumber] = systemMessage.empty() ? fallback : systemMessage;
}

void LoggerCore::ShowPortClosed(const std::string& status, const std::string& detail) {
  record().portStatus = status;
  portStatusDetail_ = detail;
  dialog_.EnablePortControls(false);
  protocol_.setLastSentenceTime(wallClock_());
  protocol_.ClearDeviceFields();
}

void LoggerCore::ClosePort() { link_.Close(); }

void LoggerCore::OnPortSelChange() {
  // A read-back stopped by a length limit leaves portNumber as it was, so the
  // port that was open is opened again; the result is not needed.
  dialog_.ReadBackControls();
  ClosePort();
  OpenPort(LeadingInt(record().portNumber));
}

void LoggerCore::ExitDrain() { link_.ExitDrain(); }

void LoggerCore::OnSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) {
  // Runs are opened and closed on this thread, so a run that differs from the
  // open one has ended for good.
  if (!link_.IsOpen() || run != link_.run() || !protocol_.OnSentence(link_.slots(), sequenceNumber, slotIndex)) {
    ++droppedSentences_;
  }
}

}  // namespace brisko
