// The link's call-outs faked for the protocol tests (the dialog's side is the
// shared fake), and a snapshot of the record for whole-record comparisons.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "protocol/logger_callouts.h"
#include "protocol/logger_protocol.h"
#include "tests/support/fake_dialog.h"

namespace brisko::testing {

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

// Every record field by name, integers in decimal.
inline std::map<std::string, std::string> Snapshot(const DeviceRecord& r) {
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
  };
}

// The record's fields and the family.
inline std::map<std::string, std::string> Snapshot(const LoggerProtocol& protocol) {
  std::map<std::string, std::string> fields = Snapshot(protocol.record());
  fields["family"] = std::to_string(static_cast<int>(protocol.family()));
  return fields;
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
