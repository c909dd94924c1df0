// The in-memory mirror of one logger's identity, settings and readings: 17
// fields, each bound to one control of the main dialog. What the logger sent
// as text is kept as its bytes (LoggerText), to go back byte for byte; the
// program's own texts (the port's status and number) and the numbers it
// formats are UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "protocol/logger_text.h"

namespace brisko {

struct DeviceRecord {
  LoggerText serialNumber;
  std::string firmwareRev;         // one decimal, e.g. "2.8"
  std::string hardwareRev;         // one decimal
  std::string portStatus;          // e.g. "COM3 Open Ok"
  LoggerText gpsFixLine;           // a "$GPGGA" sentence without its header
  LoggerText pilotName;            // at most 31 bytes when typed
  LoggerText competitionClass;     // at most 15 when typed, like the three below
  LoggerText competitionId;
  LoggerText gliderType;
  LoggerText gliderId;
  std::int32_t fixRateIndex = -1;  // fix rate in seconds minus one; -1: no button checked
  std::string sealStatus;          // "SEALED" or "UNSEALED"
  std::string portNumber;          // decimal port number as text
  std::string temperature;         // one decimal
  std::string humidity;            // one decimal
  std::int32_t recordMode = 0;     // 0 "No", 1 "100mt", 2 "10mt", 3 "10sec"
  std::string inputVoltage;        // one decimal
};

}  // namespace brisko
