#include "protocol/logger_core.h"

#include "link/port_names.h"

#include "protocol/commands.h"
#include "link/decimal.h"
#include "protocol/host_system.h"
#include "protocol/port_status_text.h"

#include "brisko_version.h"

namespace brisko {

LoggerCore::LoggerCore(DialogCallouts& dialog, SentencePoster& poster, const Platform& platform)
    : dialog_(dialog),
      ports_(platform.ports),
      wallClock_(platform.wallClock),
      protocol_(dialog, *this, platform.wallClock),
      portList_(platform.ports, dialog, poster),
      link_(platform.ports, platform.linkClock, poster) {
  link_.trace().SetFailureNotice([&poster](const std::string& message) { poster.PostTraceStopped(message); });
  portList_.SetPresenceNews([this](int portNumber, bool present) { NotePortPresence(portNumber, present); });
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

void LoggerCore::OpenPort(int portNumber) {
  lostPort_ = 0;
  // A probe holds the port for its open and close: the user's choice waits
  // for it rather than fail as busy.
  portList_.AwaitProbeOf(portNumber);
  Open(portNumber);
}

bool LoggerCore::Open(int portNumber) {
  PortOpenError error;
  holdsPort_ = link_.Open(portNumber, error);
  if (!holdsPort_) {
    NoteFailure(portNumber, error.systemMessage, OpenFailureStatus(portNumber, error.kind));
    ShowPortClosed(OpenFailureStatus(portNumber, error.kind), OpenFailureDetail(portNumber, error));
    return false;
  }
  openPortNumber_ = portNumber;
  openAdapter_ = ports_.Adapter(portNumber);
  portList_.Show(portNumber);
  // The ring was emptied by the open, so the three always fit.
  link_.QueueCommands(IdentificationSequence());
  record().portStatus = OpenOkStatus(portNumber);
  portStatusDetail_.clear();
  dialog_.EnablePortControls(true);
  protocol_.setLastSentenceTime(wallClock_());
  protocol_.ClearDeviceFields();
  return true;
}

void LoggerCore::OnPortLost(std::uint32_t run) {
  std::string reason;
  if (link_.CloseLostPort(run, reason)) Lose(reason, false);
}

void LoggerCore::Lose(const std::string& reason, bool seenGone) {
  lostPort_ = openPortNumber_;
  lostPortSeenGone_ = seenGone;
  NoteFailure(openPortNumber_, reason, PortLostStatus(openPortNumber_));
  ShowPortClosed(PortLostStatus(openPortNumber_), PortLostDetail(openPortNumber_, reason));
}

void LoggerCore::FollowPorts(bool thorough) {
  if (!portList_.Look(thorough, HeldPortNumber(), lostPort_)) return;
  if (link_.IsOpen()) {
    link_.Close();
    Lose("the system no longer lists the port's device", true);
  } else if (lostPort_ != 0) {
    lostPortSeenGone_ = true;
  }
}

void LoggerCore::OnSystemPortRemoved(int portNumber) {
  if (!portList_.Forget(portNumber, HeldPortNumber())) return;
  if (link_.IsOpen()) {
    link_.Close();
    Lose("the system announced the port's removal", true);
  } else if (portNumber == lostPort_) {
    lostPortSeenGone_ = true;
  }
}

void LoggerCore::OnPortProbed(int portNumber, bool openable) {
  if (portNumber != lostPort_ || link_.IsOpen()) {
    portList_.OnProbed(portNumber, openable);
  } else if (!openable) {
    lostPortSeenGone_ = true;
  } else if (lostPortSeenGone_) {
    BringBack();
  }
}

void LoggerCore::BringBack() {
  const int portNumber = lostPort_;
  if (!openAdapter_.identity.empty() && ports_.Adapter(portNumber).identity != openAdapter_.identity) {
    // Another adapter under the lost one's number: never opened by itself.
    // Looked at again once it has gone.
    lostPortSeenGone_ = false;
    return;
  }
  record().portNumber = std::to_string(portNumber);
  portList_.AwaitProbeOf(portNumber);
  // Not opened yet (udev may not have given the node its group): tried again
  // at the next probe that finds it openable.
  if (Open(portNumber)) lostPort_ = 0;
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

bool LoggerCore::Reidentify() {
  if (!link_.IsOpen()) return false;
  protocol_.ClearDeviceFields();
  return link_.QueueCommands(IdentificationSequence());
}

void LoggerCore::ExitDrain() { link_.ExitDrain(); }

void LoggerCore::OnSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) {
  // Runs are opened and closed on this thread, so a run that differs from the
  // open one has ended for good: its post is dropped unseen.
  if (!link_.IsOpen() || run != link_.run()) return;
  protocol_.OnSentence(link_.slots(), sequenceNumber, slotIndex);
}

}  // namespace brisko
