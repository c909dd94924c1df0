// One logger as brisko-sim is told to play it, what the tool must show for it,
// and what the tool puts on the wire for the end-to-end scenarios: shared by
// the runs on Linux and the run of the Windows build under Wine.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "protocol/device_record.h"

namespace brisko {

struct SimLogger {
  int family = 800;
  std::string serial = "E2E-42";
  int hardwareTenths = 13;
  int firmwareTenths = 27;  // below 2.8: the first family's deletion is one command too
  bool sealed = false;
  int fixRateSeconds = 4;
  int recordMode = 2;
  std::vector<std::string> texts = {"Carla Bianchi", "Standard", "CB", "LS 8", "D-9876"};
  double voltage = 11.8;
  double temperature = 18.5;
  double humidity = 62.0;

  std::vector<std::string> Args() const {
    return {"--family", std::to_string(family), "--serial", serial, "--hardware", std::to_string(hardwareTenths),
            "--firmware", std::to_string(firmwareTenths), "--sealed", sealed ? "1" : "0", "--fix-rate",
            std::to_string(fixRateSeconds), "--record-mode", std::to_string(recordMode), "--pilot", texts[0],
            "--class", texts[1], "--comp-id", texts[2], "--glider-type", texts[3], "--glider-id", texts[4],
            "--voltage", Decimal1(voltage), "--temperature", Decimal1(temperature), "--humidity",
            Decimal1(humidity)};
  }
  static std::string Decimal1(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
  }
  std::string hardwareShown() const { return Decimal1(hardwareTenths * 0.1); }
  std::string firmwareShown() const { return Decimal1(firmwareTenths * 0.1); }
  std::string sealShown() const { return sealed ? "SEALED" : "UNSEALED"; }
};

inline const std::vector<std::string> kIdentification = {"$NT900,4,51,0", "$NT987,1", "$NT800,1"};

// The five texts as the dialog's read-back leaves them before a Set: a
// Latin-1 letter, an empty class; with a changed fix rate and record mode.
inline const std::vector<std::string> kEditedTexts = {"Jos\xE9 Neri", "", "JN", "Discus 2", "I-KJN"};
inline constexpr int kEditedFixRateIndex = 6;
inline constexpr int kEditedRecordMode = 3;

inline std::vector<std::string> Texts(const DeviceRecord& r) {
  return {r.pilotName.bytes(), r.competitionClass.bytes(), r.competitionId.bytes(), r.gliderType.bytes(),
          r.gliderId.bytes()};
}

// What the simulator reports on opening has arrived (the readings too, for
// the second family).
inline bool Filled(const DeviceRecord& r, const SimLogger& logger) {
  return r.serialNumber.bytes() == logger.serial && r.gliderId.bytes() == logger.texts[4] && !r.gpsFixLine.empty() &&
         (logger.family == 0 || !r.temperature.empty());
}

// The edits above, made in the record as the read-back would make them.
inline void ApplyEdits(DeviceRecord& r) {
  r.pilotName = LoggerText(kEditedTexts[0]);
  r.competitionClass = LoggerText(kEditedTexts[1]);
  r.competitionId = LoggerText(kEditedTexts[2]);
  r.gliderType = LoggerText(kEditedTexts[3]);
  r.gliderId = LoggerText(kEditedTexts[4]);
  r.fixRateIndex = kEditedFixRateIndex;
  r.recordMode = kEditedRecordMode;
}

// The logger's report after a Set of the edits has reached the record.
inline bool ShowsTheEdits(const DeviceRecord& r) {
  return Texts(r) == kEditedTexts && r.fixRateIndex == kEditedFixRateIndex;
}

// The Set sequence of a family for the edits above.
inline std::vector<std::string> EditedSetCommands(int family) {
  if (family == 0) {
    return {"$NT969,2", "$NT968,Jos\xE9 Neri", "$NT967,", "$NT966,JN", "$NT965,Discus 2",
            "$NT964,I-KJN", "$NT902,7", "$NT990,1", "$NT969,3"};
  }
  return {"$NT806,4,2", "$NT805,1,Jos\xE9 Neri", "$NT805,2,", "$NT805,3,JN", "$NT805,4,Discus 2",
          "$NT805,5,I-KJN", "$NT802,3,7", "$NT802,99", "$NT806,4,3"};
}

// The deletion of all flights, for a firmware below 2.8.
inline std::string DeletionCommand(int family) { return family == 0 ? "$NT978,0" : "$NT803,2"; }

// Identification, a Set of the edits and a deletion, in the order they leave.
inline std::vector<std::string> IdentifySetAndDeleteCommands(int family) {
  std::vector<std::string> commands = kIdentification;
  const std::vector<std::string> set = EditedSetCommands(family);
  commands.insert(commands.end(), set.begin(), set.end());
  commands.push_back(DeletionCommand(family));
  return commands;
}

}  // namespace brisko
