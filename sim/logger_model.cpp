#include "sim/logger_model.h"

#include <algorithm>
#include <cmath>

#include "link/decimal.h"
#include "link/sentence_text.h"
#include "sim/wire_text.h"

namespace brisko {

namespace {

constexpr std::string_view kCommandPrefix = "$NT";
constexpr int kMaxCommandNumberDigits = 6;

// A whole field of decimal digits with an optional sign, nothing else.
bool ParseWholeInt(std::string_view field, int& value) {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < field.size() && (field[pos] == '-' || field[pos] == '+')) negative = field[pos++] == '-';
  if (pos == field.size() || field.size() - pos > 9) return false;
  int result = 0;
  for (; pos < field.size(); ++pos) {
    if (field[pos] < '0' || field[pos] > '9') return false;
    result = result * 10 + (field[pos] - '0');
  }
  value = negative ? -result : result;
  return true;
}

bool FieldsAre(const std::vector<std::string_view>& fields, std::initializer_list<std::string_view> expected) {
  return std::equal(fields.begin(), fields.end(), expected.begin(), expected.end());
}

std::string Join(const std::vector<std::string_view>& fields) {
  std::string text;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text.push_back(',');
    text.append(fields[i]);
  }
  return text;
}

CommandResult Understood(std::string note, std::vector<std::string> replies = {}) {
  CommandResult result;
  result.understood = true;
  result.replies = std::move(replies);
  result.note = std::move(note);
  return result;
}

CommandResult Ignored(std::string note) {
  CommandResult result;
  result.note = "ignored: " + std::move(note);
  return result;
}

const char* TextSettingName(TextSetting which) {
  switch (which) {
    case TextSetting::PilotName: return "pilot name";
    case TextSetting::CompetitionClass: return "competition class";
    case TextSetting::CompetitionId: return "competition id";
    case TextSetting::GliderType: return "glider type";
    case TextSetting::GliderId: return "glider id";
  }
  return "?";
}

}  // namespace

LoggerModel::LoggerModel(LoggerSettings settings)
    : settings_(std::move(settings)), configured_(settings_), pending_(settings_) {}

CommandResult LoggerModel::HandleCommand(std::string_view command) {
  const std::vector<std::string_view> parts = SplitFields(command);
  const std::string_view header = parts.front();
  if (header.substr(0, kCommandPrefix.size()) != kCommandPrefix) return Ignored("not a $NT command");
  const std::string_view digits = header.substr(kCommandPrefix.size());
  if (digits.empty() || digits.size() > kMaxCommandNumberDigits ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return Ignored("malformed command number");
  }
  int number = 0;
  ParseWholeInt(digits, number);
  const std::vector<std::string_view> fields(parts.begin() + 1, parts.end());
  return settings_.family == SimulatedFamily::First ? HandleFirstFamily(number, fields)
                                                 : HandleSecondFamily(number, fields);
}

// First family: identity on 900, the stored texts on 987, the Set sequence
// framed by 969,2 and 969,3, deletion on 978.
CommandResult LoggerModel::HandleFirstFamily(int number, const std::vector<std::string_view>& fields) {
  switch (number) {
    case 900:
      if (FieldsAre(fields, {"4", "51", "0"})) return Understood("identification", {Reply0()});
      break;
    case 987:
      if (FieldsAre(fields, {"1"})) return Understood("settings request", {Reply3(), Reply6(), Reply7()});
      break;
    case 969:
      if (FieldsAre(fields, {"2"})) return BeginSet();
      if (FieldsAre(fields, {"3"})) {
        CommandResult result = EndSet();
        if (result.understood) result.replies = {Reply6(), Reply7(), Reply0()};
        return result;
      }
      break;
    case 968:
    case 967:
    case 966:
    case 965:
    case 964:
      return StoreText(static_cast<TextSetting>(969 - number), fields, 0);
    case 902:
      if (fields.size() == 1) return StoreFixRate(fields[0]);
      break;
    case 990:
      if (FieldsAre(fields, {"1"})) return SaveRequested();
      break;
    case 978:
      if (FieldsAre(fields, {"0"})) return DeleteFlights();
      break;
    default:
      return Ignored("command " + std::to_string(number) + " unknown to a first-family logger");
  }
  return Ignored("unexpected fields \"" + Join(fields) + "\" for command " + std::to_string(number));
}

// Second family: identity, texts and readings on 800,1; the Set sequence
// framed by 806,4,2 and 806,4,3; deletion on 803,2.
CommandResult LoggerModel::HandleSecondFamily(int number, const std::vector<std::string_view>& fields) {
  switch (number) {
    case 800:
      if (FieldsAre(fields, {"1"})) {
        std::vector<std::string> replies = {Reply800()};
        for (auto& text : AllReplies805()) replies.push_back(std::move(text));
        replies.push_back(Reply801());
        return Understood("identification", std::move(replies));
      }
      break;
    case 806:
      if (FieldsAre(fields, {"4", "2"})) return BeginSet();
      if (FieldsAre(fields, {"4", "3"})) {
        CommandResult result = EndSet();
        if (result.understood) {
          result.replies = AllReplies805();
          result.replies.push_back(Reply800());
        }
        return result;
      }
      break;
    case 805: {
      int selector = 0;
      if (fields.size() >= 2 && ParseWholeInt(fields[0], selector) && selector >= 1 &&
          selector <= kTextSettingCount) {
        return StoreText(static_cast<TextSetting>(selector), fields, 1);
      }
      break;
    }
    case 802:
      if (fields.size() == 2 && fields[0] == "3") return StoreFixRate(fields[1]);
      if (FieldsAre(fields, {"99"})) return SaveRequested();
      break;
    case 803:
      if (FieldsAre(fields, {"2"})) return DeleteFlights();
      break;
    default:
      return Ignored("command " + std::to_string(number) + " unknown to a second-family logger");
  }
  return Ignored("unexpected fields \"" + Join(fields) + "\" for command " + std::to_string(number));
}

CommandResult LoggerModel::BeginSet() {
  // A new start throws away whatever an unfinished sequence carried.
  const bool restarted = setOpen_;
  pending_ = settings_;
  setOpen_ = true;
  return Understood(restarted ? "start of Set (the unfinished one before it is dropped)" : "start of Set");
}

CommandResult LoggerModel::StoreText(TextSetting which, const std::vector<std::string_view>& fields,
                                     std::size_t at) {
  if (!setOpen_) return Ignored(std::string(TextSettingName(which)) + " outside a Set sequence");
  std::string value = at < fields.size() ? std::string(fields[at]) : std::string();
  std::string note = std::string(TextSettingName(which)) + " \"" + EscapeForLog(value) + "\"";
  // Texts are single fields: a comma inside one arrives as a field separator.
  if (fields.size() > at + 1) note += " (the text ended at a comma; the rest is ignored)";
  if (value.size() > kMaxStoredText) {
    value.resize(kMaxStoredText);
    note += " (cut to " + std::to_string(kMaxStoredText) + " bytes)";
  }
  pending_.text(which) = std::move(value);
  return Understood(std::move(note));
}

CommandResult LoggerModel::StoreFixRate(std::string_view field) {
  if (!setOpen_) return Ignored("fix rate outside a Set sequence");
  int seconds = 0;
  if (!ParseWholeInt(field, seconds)) return Ignored("fix rate \"" + EscapeForLog(field) + "\" is not a number");
  if (seconds < kMinFixRateSeconds || seconds > kMaxFixRateSeconds) {
    return Ignored("fix rate " + std::to_string(seconds) + " s outside " + std::to_string(kMinFixRateSeconds) +
                   ".." + std::to_string(kMaxFixRateSeconds) + ", keeping " +
                   std::to_string(pending_.fixRateSeconds) + " s");
  }
  pending_.fixRateSeconds = seconds;
  return Understood("fix rate " + std::to_string(seconds) + " s");
}

CommandResult LoggerModel::DeleteFlights() {
  const int before = settings_.flightCount;
  settings_.flightCount = 0;
  pending_.flightCount = 0;
  return Understood("all flights deleted: " + std::to_string(before) + " -> 0");
}

CommandResult LoggerModel::EndSet() {
  if (!setOpen_) return Ignored("end of Set without its start");
  // Only the texts and the fix rate travel in a Set sequence.
  settings_.texts = pending_.texts;
  settings_.fixRateSeconds = pending_.fixRateSeconds;
  setOpen_ = false;
  return Understood("end of Set, settings stored");
}

CommandResult LoggerModel::SaveRequested() {
  if (!setOpen_) return Ignored("save outside a Set sequence");
  return Understood("save requested");
}

// $NT0,NT1234,12,28,5,12,1,8,1,0,1,100,0,2
// serial, hardware and firmware in tenths, flights, memory used %, GPS fix,
// satellites, pressure sensor, engine sensor, seal, battery %, spare, fix rate.
std::string LoggerModel::Reply0() const {
  const LoggerSettings& s = settings_;
  return "$NT0," + s.serialNumber + "," + std::to_string(s.hardwareTenths) + "," +
         std::to_string(s.firmwareTenths) + "," + std::to_string(s.flightCount) + "," +
         std::to_string(s.flightCount * 2) + ",1,8,1,0," + (s.sealed ? "1" : "0") + ",100,0," +
         std::to_string(s.fixRateSeconds);
}

// $NT3,5,410,4096,0,0,0,0
// flights, memory used and total in KiB, four spare fields.
std::string LoggerModel::Reply3() const {
  return "$NT3," + std::to_string(settings_.flightCount) + "," + std::to_string(settings_.flightCount * 82) +
         ",4096,0,0,0,0";
}

// $NT6,Anna Rossi,Club
std::string LoggerModel::Reply6() const {
  return "$NT6," + settings_.text(TextSetting::PilotName) + "," + settings_.text(TextSetting::CompetitionClass);
}

// $NT7,AR,ASK 21,D-1234
std::string LoggerModel::Reply7() const {
  return "$NT7," + settings_.text(TextSetting::CompetitionId) + "," + settings_.text(TextSetting::GliderType) +
         "," + settings_.text(TextSetting::GliderId);
}

// $NT800,NT1234,12,28,5,10,2,1,1,0
// serial, hardware and firmware in tenths, flights, memory used %, fix rate,
// record mode, seal, spare.
std::string LoggerModel::Reply800() const {
  const LoggerSettings& s = settings_;
  return "$NT800," + s.serialNumber + "," + std::to_string(s.hardwareTenths) + "," +
         std::to_string(s.firmwareTenths) + "," + std::to_string(s.flightCount) + "," +
         std::to_string(s.flightCount * 2) + "," + std::to_string(s.fixRateSeconds) + "," +
         std::to_string(s.recordMode) + "," + (s.sealed ? "1" : "0") + ",0";
}

// $NT801,12.4,1013.2,3.9,0.0,8,1,215,473,0
// supply volts, pressure hPa, backup cell volts, climb m/s, satellites, fix,
// temperature and humidity in tenths, spare.
std::string LoggerModel::Reply801() const {
  const LoggerSettings& s = settings_;
  return "$NT801," + OneDecimal(s.inputVoltage) + ",1013.2,3.9,0.0,8,1," + std::to_string(s.temperatureTenths) +
         "," + std::to_string(s.humidityTenths) + ",0";
}

// $NT805,4,ASK 21
std::string LoggerModel::Reply805(TextSetting which) const {
  return "$NT805," + std::to_string(static_cast<int>(which)) + "," + settings_.text(which);
}

std::vector<std::string> LoggerModel::AllReplies805() const {
  std::vector<std::string> replies;
  for (int selector = 1; selector <= kTextSettingCount; ++selector) {
    replies.push_back(Reply805(static_cast<TextSetting>(selector)));
  }
  return replies;
}

void LoggerModel::DriftReadings(std::mt19937& random) {
  std::uniform_int_distribution<int> step(-1, 1);
  // Volts are kept on a grid of tenths so that "%.1f" shows them exactly.
  const double centre = configured_.inputVoltage;
  const double volts = std::round((settings_.inputVoltage + 0.1 * step(random)) * 10.0) / 10.0;
  settings_.inputVoltage = std::clamp(volts, centre - kVoltageDrift, centre + kVoltageDrift);
  settings_.temperatureTenths =
      std::clamp(settings_.temperatureTenths + step(random), configured_.temperatureTenths - kTemperatureDriftTenths,
                 configured_.temperatureTenths + kTemperatureDriftTenths);
  settings_.humidityTenths =
      std::clamp(settings_.humidityTenths + 2 * step(random), configured_.humidityTenths - kHumidityDriftTenths,
                 configured_.humidityTenths + kHumidityDriftTenths);
}

}  // namespace brisko
