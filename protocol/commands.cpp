#include "protocol/commands.h"

#include <cstdint>

namespace brisko {

namespace {

// The fix rate in seconds that the logger expects: the button index plus one.
// Widened first, so that an out-of-range index sent by a logger cannot overflow.
std::string FixRateSeconds(std::int32_t fixRateIndex) {
  return std::to_string(std::int64_t{fixRateIndex} + 1);
}

}  // namespace

std::vector<std::string> IdentificationSequence() {
  return std::vector<std::string>(kIdentificationCommands.begin(), kIdentificationCommands.end());
}

std::vector<std::string> FirstFamilySetSequence(const DeviceRecord& record) {
  return {
      "$NT969,2",
      "$NT968," + record.pilotName,
      "$NT967," + record.competitionClass,
      "$NT966," + record.competitionId,
      "$NT965," + record.gliderType,
      "$NT964," + record.gliderId,
      "$NT902," + FixRateSeconds(record.fixRateIndex),
      "$NT990,1",
      "$NT969,3",
  };
}

std::vector<std::string> SecondFamilySetSequence(const DeviceRecord& record) {
  return {
      "$NT806,4,2",
      "$NT805,1," + record.pilotName,
      "$NT805,2," + record.competitionClass,
      "$NT805,3," + record.competitionId,
      "$NT805,4," + record.gliderType,
      "$NT805,5," + record.gliderId,
      "$NT802,3," + FixRateSeconds(record.fixRateIndex),
      "$NT802,99",
      "$NT806,4,3",
  };
}

}  // namespace brisko
