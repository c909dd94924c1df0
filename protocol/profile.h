// A profile: some or all of the settings Set writes (the five pilot and glider
// texts and the fix rate), kept in a small versioned UTF-8 JSON file so that a
// club can apply the same setup to many loggers. Also the plane files of a
// popular flight computer (".xcp"), read for the glider's three texts. A
// profile reaches the record only through ApplyProfile, which judges every
// value by the field rule, the length limits and the code page first and
// changes nothing when one is refused.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/device_record.h"
#include "protocol/logger_text.h"

namespace brisko {

// The version written into every profile; a file of a later one is refused.
inline constexpr int kProfileFormatVersion = 1;
inline constexpr const char* kProfileFormatKey = "brisko-profile";

// One of the five texts: its key in a profile (and in --set), the IGC header
// record that holds the same value in a flight's file, the name a message
// gives it, its record field and its limit.
struct ProfileText {
  const char* key;
  const char* igcHeader;
  const char* name;
  LoggerText DeviceRecord::*field;
  std::size_t limit;
};

inline constexpr std::array<ProfileText, 5> kProfileTexts = {{
    {"pilot", "PLT", "Pilot name", &DeviceRecord::pilotName, kPilotNameLimit},
    {"competition-class", "CCL", "Competition class", &DeviceRecord::competitionClass, kShortTextLimit},
    {"competition-id", "CID", "Competition id", &DeviceRecord::competitionId, kShortTextLimit},
    {"glider-type", "GTY", "Glider type", &DeviceRecord::gliderType, kShortTextLimit},
    {"glider-id", "GID", "Glider id", &DeviceRecord::gliderId, kShortTextLimit},
}};
inline constexpr const char* kFixRateKey = "fix-rate";
inline constexpr int kFixRateMinSeconds = 1;
inline constexpr int kFixRateMaxSeconds = 10;  // the window's ten buttons

struct Profile {
  // UTF-8, in the order of kProfileTexts; an absent one leaves the logger's.
  std::array<std::optional<std::string>, 5> texts;
  std::optional<int> fixRateSeconds;

  bool operator==(const Profile& other) const {
    return texts == other.texts && fixRateSeconds == other.fixRateSeconds;
  }
  bool empty() const { return *this == Profile{}; }
};

// Each returns an empty text when it succeeded, or the message for the user
// (naming the file's field and the reason); on failure `profile` is unchanged.

// A profile file's text. Unknown keys are refused: a misspelt key would
// otherwise leave a setting silently as it was.
std::string ParseProfileJson(std::string_view json, Profile& profile);
// A plane file: "Registration", "CompetitionID" and "Type" give the glider id,
// the competition id and the glider type; other lines are ignored.
std::string ParsePlaneFile(std::string_view text, Profile& profile);
// "key=value" with a profile key, as the command line's --set takes it.
std::string SetProfileValue(std::string_view assignment, Profile& profile);
// A file by its UTF-8 path: a plane file when it ends in ".xcp", else a profile.
std::string ReadProfileFile(const std::string& path, Profile& profile);
std::string WriteProfileFile(const std::string& path, const Profile& profile);

// The file's text: every setting the profile holds.
std::string ProfileJson(const Profile& profile);

// Writes the profile's settings into the record, the texts in the code page.
// Every value is judged first; when one is refused nothing is written.
std::string ApplyProfile(const Profile& profile, const CodePage& codePage, DeviceRecord& record);
// The record's five texts and, when one is chosen, the fix rate.
Profile ProfileOf(const DeviceRecord& record, const CodePage& codePage);

}  // namespace brisko
