// Fakes of the dialog and link call-outs that record what the protocol core
// asked for, and a snapshot of the record for whole-record comparisons.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "protocol/logger_callouts.h"
#include "protocol/logger_protocol.h"

namespace brisko::testing {

struct MessageBoxCall {
  std::string text;
  std::string caption;
  MessageBoxKind kind;
  bool operator==(const MessageBoxCall& other) const {
    return text == other.text && caption == other.caption && kind == other.kind;
  }
};

inline std::ostream& operator<<(std::ostream& out, const MessageBoxCall& call) {
  return out << "{\"" << call.text << "\", \"" << call.caption << "\", " << static_cast<int>(call.kind) << "}";
}

class FakeDialog : public DialogCallouts {
 public:
  void RefreshControls() override { ++refreshes; }
  bool ReadBackControls() override { return true; }
  void ShowRecordControls(Visibility visibility) override { shows.push_back(visibility); }
  void EnablePortControls(bool) override {}
  std::int64_t CurrentTime() override { return now; }
  MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxKind kind) override {
    messages.push_back({text, caption, kind});
    return answer;
  }
  void RunDeleteFlightDialog() override { ++deleteDialogRuns; }

  std::int64_t now = 1000;
  MessageBoxAnswer answer = MessageBoxAnswer::Yes;
  int refreshes = 0;
  int deleteDialogRuns = 0;
  std::vector<Visibility> shows;
  std::vector<MessageBoxCall> messages;
};

class FakePort : public CommandPort {
 public:
  bool IsPortOpen() const override { return open; }
  bool QueueCommands(const std::vector<std::string>& sequence) override {
    if (full) return false;
    queued.push_back(sequence);
    return true;
  }

  bool open = true;
  bool full = false;  // the ring refuses every sequence
  std::vector<std::vector<std::string>> queued;
};

// Every record field and both family flags by name, integers in decimal.
inline std::map<std::string, std::string> Snapshot(const LoggerProtocol& protocol) {
  const DeviceRecord& r = protocol.record();
  return {
      {"serialNumber", r.serialNumber},
      {"firmwareRev", r.firmwareRev},
      {"hardwareRev", r.hardwareRev},
      {"portStatus", r.portStatus},
      {"gpsFixLine", r.gpsFixLine},
      {"pilotName", r.pilotName},
      {"competitionClass", r.competitionClass},
      {"competitionId", r.competitionId},
      {"gliderType", r.gliderType},
      {"gliderId", r.gliderId},
      {"fixRateIndex", std::to_string(r.fixRateIndex)},
      {"sealStatus", r.sealStatus},
      {"portNumber", r.portNumber},
      {"temperature", r.temperature},
      {"humidity", r.humidity},
      {"recordMode", std::to_string(r.recordMode)},
      {"inputVoltage", r.inputVoltage},
      {"nt0Family", protocol.nt0Family() ? "true" : "false"},
      {"nt800Family", protocol.nt800Family() ? "true" : "false"},
  };
}

// A record in which every field holds a distinct old value, so that a test
// sees both "overwritten" and "set to empty".
inline void FillWithOldValues(DeviceRecord& r) {
  r.serialNumber = "old-sn";
  r.firmwareRev = "9.9";
  r.hardwareRev = "8.8";
  r.portStatus = "COM3 Open Ok";
  r.gpsFixLine = "old-fix";
  r.pilotName = "old-pilot";
  r.competitionClass = "old-class";
  r.competitionId = "old-id";
  r.gliderType = "old-type";
  r.gliderId = "old-glider";
  r.fixRateIndex = 4;
  r.sealStatus = "SEALED";
  r.portNumber = "3";
  r.temperature = "1.1";
  r.humidity = "2.2";
  r.recordMode = 2;
  r.inputVoltage = "3.3";
}

}  // namespace brisko::testing
