// The link's call-outs faked for the protocol tests (the dialog's side is the
// shared fake), and a snapshot of the record for whole-record comparisons.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "protocol/logger_callouts.h"
#include "protocol/logger_protocol.h"
#include "tests/support/fake_dialog.h"
#include "tests/support/logger_bytes.h"

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
      {"serialNumber", r.serialNumber.bytes()},
      {"firmwareRev", r.firmwareRev},
      {"hardwareRev", r.hardwareRev},
      {"portStatus", r.portStatus},
      {"gpsFixLine", r.gpsFixLine.bytes()},
      {"pilotName", r.pilotName.bytes()},
      {"competitionClass", r.competitionClass.bytes()},
      {"competitionId", r.competitionId.bytes()},
      {"gliderType", r.gliderType.bytes()},
      {"gliderId", r.gliderId.bytes()},
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

// `owner` (a LoggerProtocol or a LoggerCore) stamped the time `stamp` last, as
// the staleness rule sees it: a tick one second later blanks nothing, one two
// seconds later blanks the fields. Stamp 0 means nothing is watched: no tick
// blanks anything. The ticks leave the stamp cleared and the clock as it was.
template <typename Owner>
::testing::AssertionResult StampedAt(Owner& owner, FakeDialog& dialog, std::int64_t stamp) {
  const std::int64_t now = dialog.now;
  const long before = dialog.refreshes;
  dialog.now = stamp == 0 ? now + 1000 : stamp + 1;
  owner.OnTimer();
  const long afterOne = dialog.refreshes;
  dialog.now = stamp + 2;
  if (stamp != 0) owner.OnTimer();
  const long afterTwo = dialog.refreshes;
  dialog.now = now;
  if (afterOne != before) return ::testing::AssertionFailure() << "stale before " << stamp + 2;
  if (stamp != 0 && afterTwo != before + 1) return ::testing::AssertionFailure() << "not stale at " << stamp + 2;
  return ::testing::AssertionSuccess();
}

// A record in which every field holds a distinct old value, so that a test
// sees both "overwritten" and "set to empty".
inline void FillWithOldValues(DeviceRecord& r) {
  r.serialNumber = "old-sn"_logger;
  r.firmwareRev = "9.9";
  r.hardwareRev = "8.8";
  r.portStatus = "COM3 Open Ok";
  r.gpsFixLine = "old-fix"_logger;
  r.pilotName = "old-pilot"_logger;
  r.competitionClass = "old-class"_logger;
  r.competitionId = "old-id"_logger;
  r.gliderType = "old-type"_logger;
  r.gliderId = "old-glider"_logger;
  r.fixRateIndex = 4;
  r.sealStatus = "SEALED";
  r.portNumber = "3";
  r.temperature = "1.1";
  r.humidity = "2.2";
  r.recordMode = 2;
  r.inputVoltage = "3.3";
}

}  // namespace brisko::testing
