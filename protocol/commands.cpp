#include "protocol/commands.h"

#include <cstdint>

namespace brisko {

namespace {

// One family's Set sequence: an opening command, the five texts each behind
// its own prefix (pilot name, competition class, competition id, glider type,
// glider id), the fix rate in seconds behind its prefix, and two closing
// commands.
struct SetCommandSet {
  const char* open;
  const char* textPrefixes[5];
  const char* fixRatePrefix;
  const char* commit;
  const char* close;
};

constexpr SetCommandSet kFirstFamilySet = {
    "$NT969,2", {"$NT968,", "$NT967,", "$NT966,", "$NT965,", "$NT964,"}, "$NT902,", "$NT990,1", "$NT969,3"};
constexpr SetCommandSet kSecondFamilySet = {
    "$NT806,4,2", {"$NT805,1,", "$NT805,2,", "$NT805,3,", "$NT805,4,", "$NT805,5,"}, "$NT802,3,", "$NT802,99",
    "$NT806,4,3"};

std::vector<std::string> SequenceOf(const SetCommandSet& set, const DeviceRecord& record) {
  const LoggerText* const texts[5] = {&record.pilotName, &record.competitionClass, &record.competitionId,
                                       &record.gliderType, &record.gliderId};
  std::vector<std::string> sequence;
  sequence.reserve(9);
  sequence.emplace_back(set.open);
  for (int i = 0; i < 5; ++i) sequence.push_back(set.textPrefixes[i] + texts[i]->bytes());
  // The button index plus one, widened first so that an out-of-range index
  // reported by a logger cannot overflow.
  sequence.push_back(set.fixRatePrefix + std::to_string(std::int64_t{record.fixRateIndex} + 1));
  sequence.emplace_back(set.commit);
  sequence.emplace_back(set.close);
  return sequence;
}

}  // namespace

std::vector<std::string> IdentificationSequence() {
  return std::vector<std::string>(kIdentificationCommands.begin(), kIdentificationCommands.end());
}

std::vector<std::string> SetSequence(LoggerFamily family, const DeviceRecord& record) {
  switch (family) {
    case LoggerFamily::First: return SequenceOf(kFirstFamilySet, record);
    case LoggerFamily::Second: return SequenceOf(kSecondFamilySet, record);
    case LoggerFamily::Unknown: break;
  }
  return {};
}

}  // namespace brisko
