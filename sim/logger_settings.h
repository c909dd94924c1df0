// What the simulated logger holds: its identity, its settings, its readings and
// its flight list. The defaults describe a plausible club logger; every field
// can be changed from the command line.
#pragma once

#include <array>
#include <string>

namespace brisko {

// The two command families a logger may speak: the first answers the
// identification with reply 0, the second with reply 800; they write settings
// and delete flights with different commands.
enum class SimulatedFamily { First, Second };

// The five pilot and glider texts, numbered as the 805 selectors number them.
enum class TextSetting { PilotName = 1, CompetitionClass, CompetitionId, GliderType, GliderId };
inline constexpr int kTextSettingCount = 5;

struct LoggerSettings {
  SimulatedFamily family = SimulatedFamily::Second;
  std::string serialNumber = "NT1234";
  int hardwareTenths = 12;  // 12 is revision 1.2
  int firmwareTenths = 28;
  bool sealed = true;
  int fixRateSeconds = 2;
  int recordMode = 1;  // 0 no, 1 every 100 m, 2 every 10 m, 3 every 10 s
  // Indexed by selector - 1: pilot name, class, competition id, glider type, glider id.
  std::array<std::string, kTextSettingCount> texts{"Anna Rossi", "Club", "AR", "ASK 21", "D-1234"};
  double inputVoltage = 12.4;  // volts
  int temperatureTenths = 215;  // 21.5 degrees
  int humidityTenths = 473;     // 47.3 percent
  int flightCount = 5;

  std::string& text(TextSetting which) { return texts[static_cast<int>(which) - 1]; }
  const std::string& text(TextSetting which) const { return texts[static_cast<int>(which) - 1]; }
};

// Fix rates the logger accepts, in seconds.
inline constexpr int kMinFixRateSeconds = 1;
inline constexpr int kMaxFixRateSeconds = 60;
// Longest text the logger stores; longer texts are cut, so that every reply
// that carries texts stays well inside one 256-byte line.
inline constexpr std::size_t kMaxStoredText = 63;

}  // namespace brisko
