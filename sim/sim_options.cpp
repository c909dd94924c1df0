#include "sim/sim_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "link/sentence_text.h"

namespace brisko {

namespace {

bool ParseInt(const std::string& text, long minimum, long maximum, int& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed < minimum || parsed > maximum) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool ParseReal(const std::string& text, double minimum, double maximum, double& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(parsed) || parsed < minimum || parsed > maximum) return false;
  value = parsed;
  return true;
}

// Texts travel as single fields of a sentence: only what the tool's edits
// accept as well, and short enough for the logger to store whole.
bool ValidText(const std::string& text) {
  if (text.size() > kMaxStoredText) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return CanTravelInField(static_cast<unsigned char>(c)); });
}

using ValueSetter = std::function<bool(const std::string&, SimOptions&)>;

ValueSetter IntInto(int SimOptions::*field, long minimum, long maximum) {
  return [=](const std::string& text, SimOptions& o) { return ParseInt(text, minimum, maximum, o.*field); };
}

ValueSetter LoggerInt(int LoggerSettings::*field, long minimum, long maximum) {
  return [=](const std::string& text, SimOptions& o) { return ParseInt(text, minimum, maximum, o.logger.*field); };
}

ValueSetter LoggerTenths(int LoggerSettings::*field, double minimum, double maximum) {
  return [=](const std::string& text, SimOptions& o) {
    double value = 0;
    if (!ParseReal(text, minimum, maximum, value)) return false;
    o.logger.*field = static_cast<int>(std::lround(value * 10.0));
    return true;
  };
}

ValueSetter LoggerText(TextSetting which) {
  return [=](const std::string& text, SimOptions& o) {
    if (!ValidText(text)) return false;
    o.logger.text(which) = text;
    return true;
  };
}

const std::map<std::string, ValueSetter>& ValueOptions() {
  static const std::map<std::string, ValueSetter> options = {
      {"--family",
       [](const std::string& text, SimOptions& o) {
         if (text == "0") o.logger.family = SimulatedFamily::First;
         else if (text == "800") o.logger.family = SimulatedFamily::Second;
         else return false;
         return true;
       }},
      {"--port", IntInto(&SimOptions::port, 1, 9999)},
      {"--serial",
       [](const std::string& text, SimOptions& o) {
         if (text.empty() || !ValidText(text)) return false;
         o.logger.serialNumber = text;
         return true;
       }},
      {"--hardware", LoggerInt(&LoggerSettings::hardwareTenths, 0, 999)},
      {"--firmware", LoggerInt(&LoggerSettings::firmwareTenths, 0, 999)},
      {"--sealed",
       [](const std::string& text, SimOptions& o) {
         if (text != "0" && text != "1") return false;
         o.logger.sealed = text == "1";
         return true;
       }},
      {"--fix-rate", LoggerInt(&LoggerSettings::fixRateSeconds, kMinFixRateSeconds, kMaxFixRateSeconds)},
      {"--record-mode", LoggerInt(&LoggerSettings::recordMode, 0, 3)},
      {"--pilot", LoggerText(TextSetting::PilotName)},
      {"--class", LoggerText(TextSetting::CompetitionClass)},
      {"--comp-id", LoggerText(TextSetting::CompetitionId)},
      {"--glider-type", LoggerText(TextSetting::GliderType)},
      {"--glider-id", LoggerText(TextSetting::GliderId)},
      {"--voltage",
       [](const std::string& text, SimOptions& o) { return ParseReal(text, 0.0, 99.0, o.logger.inputVoltage); }},
      {"--temperature", LoggerTenths(&LoggerSettings::temperatureTenths, -60.0, 99.0)},
      {"--humidity", LoggerTenths(&LoggerSettings::humidityTenths, 0.0, 100.0)},
      {"--flights", LoggerInt(&LoggerSettings::flightCount, 0, 999)},
      {"--silent-after",
       [](const std::string& text, SimOptions& o) { return ParseReal(text, 0.0, 1e6, o.silentAfterSeconds); }},
      {"--noise", [](const std::string& text, SimOptions& o) { return ParseReal(text, 0.0, 1.0, o.noiseRate); }},
      {"--replay",
       [](const std::string& text, SimOptions& o) {
         o.replayPath = text;
         return !text.empty();
       }},
      {"--seed",
       [](const std::string& text, SimOptions& o) {
         if (text.empty() || text[0] == '-') return false;
         errno = 0;
         char* end = nullptr;
         const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
         if (errno != 0 || *end != '\0' || value > 0xFFFFFFFFull) return false;
         o.seed = static_cast<std::uint32_t>(value);
         o.seedGiven = true;
         return true;
       }},
  };
  return options;
}

const std::map<std::string, bool SimOptions::*>& FlagOptions() {
  static const std::map<std::string, bool SimOptions::*> flags = {
      {"--garbage", &SimOptions::garbage},
      {"--flood", &SimOptions::flood},
      {"--verbose", &SimOptions::verbose},
  };
  return flags;
}

}  // namespace

ParseOutcome ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool hasValue = false;
    if (name == "--help" || name == "-h") return ParseOutcome::ShowHelp;
    const std::size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
      hasValue = true;
    }
    if (const auto flag = FlagOptions().find(name); flag != FlagOptions().end()) {
      if (hasValue) {
        error = name + " takes no value";
        return ParseOutcome::Error;
      }
      options.*(flag->second) = true;
      continue;
    }
    const auto option = ValueOptions().find(name);
    if (option == ValueOptions().end()) {
      error = "unknown option " + name + " (see --help)";
      return ParseOutcome::Error;
    }
    if (!hasValue) {
      if (i + 1 == args.size()) {
        error = name + " needs a value";
        return ParseOutcome::Error;
      }
      value = args[++i];
    }
    if (!option->second(value, options)) {
      error = "bad value \"";
      error += value;
      error += "\" for " + name + " (see --help)";
      return ParseOutcome::Error;
    }
  }
  return ParseOutcome::Run;
}

std::string SimHelpText() {
  return R"(Usage: brisko-sim [options]

Plays a GPS flight recorder (logger) at the far end of a pseudo-terminal, for
trying Brisko without a device. The pseudo-terminal is published as COM<n> in
the ports directory ($BRISKO_PORTS_DIR, else $XDG_CONFIG_HOME/brisko/ports,
else ~/.config/brisko/ports), and the first line printed is
    brisko-sim: COM<n> -> <device path>
Then one line per line received from the tool: time in ms since start, the
text (bytes outside printable ASCII escaped as \xNN), whether its checksum was
good, and what the logger did with it. The entry is removed on normal exit,
SIGINT and SIGTERM.

The logger:
  --family 0|800          first family (answers with replies 0, 3, 6, 7) or
                          second family (replies 800, 801, 805)      [800]
  --port N                publish as COM<N> instead of the first free number
  --serial TEXT           serial number                              [NT1234]
  --hardware TENTHS       hardware revision in tenths, 12 is 1.2     [12]
  --firmware TENTHS       firmware revision in tenths, 28 is 2.8     [28]
  --sealed 0|1            seal status                                [1]
  --fix-rate SECONDS      fix rate, 1 to 60                          [2]
  --record-mode 0..3      temperature/humidity recording: 0 no, 1 every
                          100 m, 2 every 10 m, 3 every 10 s          [1]
  --pilot TEXT            pilot name                                 [Anna Rossi]
  --class TEXT            competition class                          [Club]
  --comp-id TEXT          competition id                             [AR]
  --glider-type TEXT      glider type                                [ASK 21]
  --glider-id TEXT        glider id                                  [D-1234]
                          (texts: at most 63 bytes, no "," "*" "$" or line ends)
  --voltage VOLTS         supply voltage                             [12.4]
  --temperature DEGREES   temperature in degrees Celsius             [21.5]
  --humidity PERCENT      relative humidity                          [47.3]
  --flights N             number of flights in the logger's memory   [5]

What it sends on its own: "$GPGGA" and "$GPRMC" once a second, and for the
second family the readings (801) every 3 seconds, drifting by at most 0.3 V,
1.0 degree and 2.0 percent around the values above. It answers the
identification and Set commands of its family and reports the new settings
when a Set sequence ends; deletion empties its flight list.

Failure modes:
  --silent-after SECONDS  send nothing more once SECONDS have passed since the
                          first command from the tool (commands are still
                          logged)
  --noise RATE            damage about RATE (0 to 1) of the bytes sent: a hit
                          line gets exactly one byte replaced, never by "$",
                          "*", line feed or NUL, so its checksum always fails
                          (garbage lines are left alone)
  --garbage               interleave, twice a second, lines the tool must
                          ignore: random bytes, known sentences with wrong,
                          lowercase or missing checksums, lines over 256
                          bytes, sentences of numbers the tool does not know
  --flood                 send position and reading sentences back to back at
                          the full rate of a 57600-baud line (5760 bytes/s)
  --seed N                seed of the random choices above (default: random;
                          the seed used is printed at start)

Replay:
  --replay FILE           be the far end of a trace that Brisko recorded
                          (--trace): answer each command with the bytes that
                          followed it in the recording, at the same delays,
                          and name every command that differs from the
                          recorded one. The logger options above are ignored.

Other:
  --verbose               also log every sentence sent on the logger's own
                          account (replies to commands are always logged)
  --help, -h              this text

The simulator never blocks on the tool. While nothing reads the device (the
tool's port is closed) and 2 KiB have piled up there, what the logger sends is
dropped, as on a serial line with no one listening, until the tool reads
again. Output the tool reads too slowly is held up to 16 KiB, then whole
sentences are dropped. The log says when either begins.
)";
}

}  // namespace brisko
