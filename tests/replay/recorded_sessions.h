// The sessions recorded from brisko-sim and replayed against the core: how
// each was played (the simulator's logger, then what the user did), and what
// the tool showed at each step, as lines of text. record_sessions plays them
// against the simulator with a trace running and keeps the trace and the
// lines under tests/replay/sessions/; the replay test plays them again
// against the recording and compares.
#pragma once

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "link/line_trace.h"
#include "protocol/device_record.h"
#include "tests/e2e/sim_logger.h"
#include "tests/e2e/tool_harness.h"

namespace brisko {

// What the tool shows, in the terms that do not depend on when it is looked
// at: the identity, texts and settings as they are, the position and the
// drifting readings only as shown or blank; bytes outside printable ASCII as
// \xNN, as in the trace.
inline std::string Shown(const std::string& step, ToolUnderTest& tool) {
  const DeviceRecord& r = tool.record();
  const auto blankOr = [](const std::string& value) { return value.empty() ? std::string("blank") : "shown"; };
  std::string line = step + ": status \"" + r.portStatus + "\", serial \"" + r.serialNumber.bytes() + "\", hardware \"" +
                     r.hardwareRev + "\", firmware \"" + r.firmwareRev + "\", seal \"" + r.sealStatus + "\", texts";
  for (const std::string& text : Texts(r)) line += " \"" + EscapeTraceBytes(text) + "\"";
  line += ", fix rate index " + std::to_string(r.fixRateIndex) + ", record mode " + std::to_string(r.recordMode) +
          ", position " + blankOr(r.gpsFixLine.bytes()) + ", readings " +
          blankOr(r.temperature + r.humidity + r.inputVoltage) + ", port controls " +
          (tool.dialog().portControlsEnabled ? "on" : "off") + ", message boxes";
  for (const auto& box : tool.dialog().messages) line += " \"" + box.text + "\"";
  line += ", delete dialog runs " + std::to_string(tool.dialog().deleteDialogRuns);
  return line;
}

struct RecordedSession {
  std::string name;
  std::string about;
  SimLogger logger;
  std::vector<std::string> extraSimArgs;
  // Plays the user's part on the tool with the logger at `port`; appends what
  // the tool showed after each step.
  std::function<void(ToolUnderTest& tool, int port, std::vector<std::string>& shown)> play;
};

// A session shows as its name in test listings.
inline void PrintTo(const RecordedSession& session, std::ostream* out) { *out << session.name; }

namespace recorded {

constexpr std::chrono::milliseconds kStepDeadline{8000};

// Opens the port and waits until the logger's report and a position (and for
// the second family the readings) have arrived.
inline void OpenAndFill(ToolUnderTest& tool, int port, const SimLogger& logger, std::vector<std::string>& shown) {
  tool.core().OpenPort(port);
  tool.PumpUntil([&] { return Filled(tool.record(), logger); }, kStepDeadline);
  shown.push_back(Shown("opened", tool));
}

inline SimLogger Family(int family, int firmwareTenths = 27) {
  SimLogger logger;
  logger.family = family;
  logger.firmwareTenths = firmwareTenths;
  return logger;
}

inline void PlaySet(ToolUnderTest& tool, int port, const SimLogger& logger, std::vector<std::string>& shown) {
  OpenAndFill(tool, port, logger, shown);
  ApplyEdits(tool.record());
  tool.core().OnSet();
  // Blanked here, so that what shows afterwards came back from the logger.
  DeviceRecord& r = tool.record();
  for (LoggerText* text : {&r.pilotName, &r.competitionClass, &r.competitionId, &r.gliderType, &r.gliderId}) {
    *text = LoggerText();
  }
  r.fixRateIndex = -1;
  tool.PumpUntil([&] { return ShowsTheEdits(tool.record()); }, kStepDeadline);
  shown.push_back(Shown("after Set", tool));
}

// No first, then Yes: the answer No must send nothing.
inline void PlayDeletion(ToolUnderTest& tool, int port, const SimLogger& logger, std::vector<std::string>& shown) {
  OpenAndFill(tool, port, logger, shown);
  tool.dialog().answer = MessageBoxAnswer::No;
  tool.core().OnDeleteAllFlights();
  shown.push_back(Shown("deletion answered No", tool));
  tool.dialog().answer = MessageBoxAnswer::Yes;
  tool.core().OnDeleteAllFlights();
  // The command leaves within the spacing; the logger does not answer it.
  tool.PumpFor(std::chrono::milliseconds(600));
  shown.push_back(Shown("deletion answered Yes", tool));
}

inline const std::vector<RecordedSession>& Sessions() {
  static const std::vector<RecordedSession> sessions = {
      {"first-family", "a logger of the first family identifies itself", Family(0), {},
       [](ToolUnderTest& tool, int port, std::vector<std::string>& shown) {
         OpenAndFill(tool, port, Family(0), shown);
       }},
      {"second-family", "a logger of the second family identifies itself and sends its readings", Family(800), {},
       [](ToolUnderTest& tool, int port, std::vector<std::string>& shown) {
         OpenAndFill(tool, port, Family(800), shown);
       }},
      {"set-first-family", "the five texts and the fix rate written to a first-family logger, which reports them",
       Family(0), {},
       [](ToolUnderTest& tool, int port, std::vector<std::string>& shown) { PlaySet(tool, port, Family(0), shown); }},
      {"set-second-family", "the same Set on a second-family logger", Family(800), {},
       [](ToolUnderTest& tool, int port, std::vector<std::string>& shown) {
         PlaySet(tool, port, Family(800), shown);
       }},
      {"delete-second-family", "deletion on a second-family logger: one command after the confirmation",
       Family(800), {},
       [](ToolUnderTest& tool, int port, std::vector<std::string>& shown) {
         PlayDeletion(tool, port, Family(800), shown);
       }},
      {"delete-first-family-old-firmware",
       "deletion on a first-family logger below firmware 2.8: one command after the confirmation", Family(0), {},
       [](ToolUnderTest& tool, int port, std::vector<std::string>& shown) {
         PlayDeletion(tool, port, Family(0), shown);
       }},
      {"delete-first-family-dialog",
       "deletion on a first-family logger of firmware 2.8: the Delete flight dialog, no command from the core",
       Family(0, 28), {},
       [](ToolUnderTest& tool, int port, std::vector<std::string>& shown) {
         OpenAndFill(tool, port, Family(0, 28), shown);
         tool.core().OnDeleteAllFlights();
         tool.PumpFor(std::chrono::milliseconds(300));
         shown.push_back(Shown("deletion", tool));
       }},
      {"staleness", "a logger that falls silent a second after the first command: its fields are blanked, not its "
                    "readings", Family(800), {"--silent-after", "1"},
       [](ToolUnderTest& tool, int port, std::vector<std::string>& shown) {
         OpenAndFill(tool, port, Family(800), shown);
         tool.PumpUntil([&] { return tool.record().serialNumber.empty(); }, kStepDeadline);
         shown.push_back(Shown("silent", tool));
         tool.PumpFor(std::chrono::milliseconds(1500));
         shown.push_back(Shown("still silent", tool));
       }},
      {"bad-checksum", "damaged lines among good ones: none reaches the record", Family(800),
       {"--noise", "0.004", "--seed", "7", "--verbose"},
       [](ToolUnderTest& tool, int port, std::vector<std::string>& shown) {
         OpenAndFill(tool, port, Family(800), shown);
         tool.PumpFor(std::chrono::milliseconds(2500));
         shown.push_back(Shown("later", tool));
       }},
  };
  return sessions;
}

}  // namespace recorded

inline std::string SessionsDirectory() { return BRISKO_SESSIONS_DIR; }

}  // namespace brisko
