// The in-memory mirror of one logger's identity, settings and readings: 17
// fields, each bound to one control of the main dialog. Texts are byte strings
// (one character per byte, Latin-1) so that what the logger sent goes back to
// it byte for byte.
#pragma once

#include <cstdint>
#include <string>

namespace brisko {

struct DeviceRecord {
  std::string serialNumber;
  std::string firmwareRev;       // one decimal, e.g. "2.8"
  std::string hardwareRev;       // one decimal
  std::string portStatus;        // e.g. "COM3 Open Ok"
  std::string gpsFixLine;        // a "$GPGGA" sentence without its header
  std::string pilotName;         // at most 31 characters when typed
  std::string competitionClass;  // at most 15 when typed, like the three below
  std::string competitionId;
  std::string gliderType;
  std::string gliderId;
  std::int32_t fixRateIndex = -1;  // fix rate in seconds minus one; -1: no button checked
  std::string sealStatus;          // "SEALED" or "UNSEALED"
  std::string portNumber;          // decimal port number as text
  std::string temperature;         // one decimal
  std::string humidity;            // one decimal
  std::int32_t recordMode = 0;     // 0 "No", 1 "100mt", 2 "10mt", 3 "10sec"
  std::string inputVoltage;        // one decimal
};

}  // namespace brisko
