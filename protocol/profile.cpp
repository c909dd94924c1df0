#include "protocol/profile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <nlohmann/json.hpp>

#include "link/sentence_text.h"

namespace brisko {

namespace {

std::string Describe(const ProfileText& text) { return std::string(text.name) + " (" + text.key + ")"; }

// One text in the code page, or the reason it cannot go to the logger.
std::string EncodeText(const ProfileText& text, const std::string& utf8, const CodePage& codePage,
                       LoggerText& encoded) {
  std::u16string characters;
  if (!Utf8ToUtf16(utf8, characters)) return Describe(text) + ": not UTF-8 text";
  std::string bytes;
  for (char16_t character : characters) {
    std::string one;
    const bool written = codePage.encode(character, one);
    if (!CanTravelInField(character, codePage.encode)) {
      const std::string shown = Utf16ToUtf8(std::u16string(1, character));
      const bool printable = character >= 0x20 && !(character >= 0x7F && character < 0xA0);
      if (!written && printable) {
        return Describe(text) + ": the logger's code page cannot write \"" + shown + "\"";
      }
      return Describe(text) + ": " + (printable ? "\"" + shown + "\"" : std::string("a control character")) +
             " would break the command it travels in";
    }
    bytes += one;
  }
  if (bytes.size() > text.limit) {
    return Describe(text) + ": " + std::to_string(bytes.size()) + " characters, the logger takes at most " +
           std::to_string(text.limit);
  }
  encoded = LoggerText(std::move(bytes));
  return std::string();
}

std::string FixRateRefusal() {
  return std::string("Fix rate (") + kFixRateKey + "): a whole number of seconds from " +
         std::to_string(kFixRateMinSeconds) + " to " + std::to_string(kFixRateMaxSeconds);
}

bool FixRateInRange(long long seconds) { return seconds >= kFixRateMinSeconds && seconds <= kFixRateMaxSeconds; }

const ProfileText* TextOfKey(std::string_view key) {
  for (const ProfileText& text : kProfileTexts) {
    if (key == text.key) return &text;
  }
  return nullptr;
}

std::size_t IndexOf(const ProfileText& text) { return static_cast<std::size_t>(&text - kProfileTexts.data()); }

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return std::string();
  return std::string(text.substr(first, text.find_last_not_of(" \t\r") - first + 1));
}

}  // namespace

std::string ParseProfileJson(std::string_view json, Profile& profile) {
  const nlohmann::json document = nlohmann::json::parse(json.begin(), json.end(), nullptr, false);
  if (document.is_discarded() || !document.is_object()) return "not a profile: the file is no JSON object";
  const auto version = document.find(kProfileFormatKey);
  if (version == document.end() || !version->is_number_integer()) {
    return std::string("not a profile: \"") + kProfileFormatKey + "\" is missing";
  }
  if (version->get<long long>() > kProfileFormatVersion) {
    return "profile format " + std::to_string(version->get<long long>()) + " is newer than this program reads (" +
           std::to_string(kProfileFormatVersion) + ")";
  }
  Profile read;
  for (const auto& [key, value] : document.items()) {
    if (key == kProfileFormatKey) continue;
    if (key == kFixRateKey) {
      if (!value.is_number_integer() || !FixRateInRange(value.get<long long>())) return FixRateRefusal();
      read.fixRateSeconds = value.get<int>();
    } else if (const ProfileText* text = TextOfKey(key)) {
      if (!value.is_string()) return Describe(*text) + ": not a text";
      read.texts[IndexOf(*text)] = value.get<std::string>();
    } else {
      return "unknown setting \"" + key + "\"";
    }
  }
  profile = read;
  return std::string();
}

std::string ParsePlaneFile(std::string_view text, Profile& profile) {
  // The plane file's keys and the profile texts they fill.
  static const std::pair<std::string_view, std::string_view> kPlaneKeys[] = {
      {"Registration", "glider-id"}, {"CompetitionID", "competition-id"}, {"Type", "glider-type"}};
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  Profile read;
  bool any = false;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = Trimmed(std::string_view(line).substr(0, equals));
    std::string value = Trimmed(std::string_view(line).substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    for (const auto& [planeKey, profileKey] : kPlaneKeys) {
      if (key != planeKey) continue;
      read.texts[IndexOf(*TextOfKey(profileKey))] = value;
      any = true;
    }
  }
  if (!any) return "not a plane file: no Registration, CompetitionID or Type line";
  profile = read;
  return std::string();
}

std::string SetProfileValue(std::string_view assignment, Profile& profile) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) return "\"" + std::string(assignment) + "\" is not key=value";
  const std::string_view key = assignment.substr(0, equals);
  const std::string value(assignment.substr(equals + 1));
  if (key == kFixRateKey) {
    std::size_t used = 0;
    long long seconds = 0;
    try {
      seconds = std::stoll(value, &used);
    } catch (const std::exception&) {
      return FixRateRefusal();
    }
    if (used != value.size() || !FixRateInRange(seconds)) return FixRateRefusal();
    profile.fixRateSeconds = static_cast<int>(seconds);
    return std::string();
  }
  const ProfileText* text = TextOfKey(key);
  if (text == nullptr) return "unknown setting \"" + std::string(key) + "\"";
  profile.texts[IndexOf(*text)] = value;
  return std::string();
}

std::string ReadProfileFile(const std::string& path, Profile& profile) {
  const std::filesystem::path file = std::filesystem::u8path(path);
  std::ifstream in(file, std::ios::binary);
  if (!in) return path + ": cannot be read";
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string extension = file.extension().u8string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string error = extension == ".xcp" ? ParsePlaneFile(text, profile) : ParseProfileJson(text, profile);
  return error.empty() ? error : path + ": " + error;
}

std::string WriteProfileFile(const std::string& path, const Profile& profile) {
  std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
  out << ProfileJson(profile);
  out.close();
  return out ? std::string() : path + ": cannot be written";
}

std::string ProfileJson(const Profile& profile) {
  // Keys in the order of the window's fields rather than sorted by name.
  nlohmann::ordered_json document;
  document[kProfileFormatKey] = kProfileFormatVersion;
  for (const ProfileText& text : kProfileTexts) {
    if (const auto& value = profile.texts[IndexOf(text)]) document[text.key] = *value;
  }
  if (profile.fixRateSeconds) document[kFixRateKey] = *profile.fixRateSeconds;
  return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string ApplyProfile(const Profile& profile, const CodePage& codePage, DeviceRecord& record) {
  DeviceRecord changed = record;
  for (const ProfileText& text : kProfileTexts) {
    const auto& value = profile.texts[IndexOf(text)];
    if (!value) continue;
    std::string error = EncodeText(text, *value, codePage, changed.*text.field);
    if (!error.empty()) return error;
  }
  if (profile.fixRateSeconds) {
    if (!FixRateInRange(*profile.fixRateSeconds)) return FixRateRefusal();
    changed.fixRateIndex = *profile.fixRateSeconds - 1;
  }
  record = changed;
  return std::string();
}

Profile ProfileOf(const DeviceRecord& record, const CodePage& codePage) {
  Profile profile;
  for (const ProfileText& text : kProfileTexts) {
    profile.texts[IndexOf(text)] = ShownText(record.*text.field, codePage);
  }
  if (FixRateInRange(std::int64_t{record.fixRateIndex} + 1)) profile.fixRateSeconds = record.fixRateIndex + 1;
  return profile;
}

}  // namespace brisko
