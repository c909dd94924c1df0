#include "link/port_names.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace brisko {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

std::string PortName(int portNumber) { return "COM" + std::to_string(portNumber); }

int PortNumberOfName(std::string_view name) {
  if (name.size() < 4 || name.size() > 6) return 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return 0;
  }
  if (name[3] == '0') return 0;
  int number = 0;
  for (char c : name.substr(3)) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  return number >= kFirstListedPort && number <= kLastListedPort ? number : 0;
}

int PortNumberOfWideName(std::wstring_view name) {
  // Only ASCII spells a port name; any other character becomes '?', so that
  // one whose low byte is a digit or a letter cannot pass for it.
  std::string ascii;
  for (const wchar_t c : name) ascii.push_back(static_cast<std::uint32_t>(c) < 0x80 ? static_cast<char>(c) : '?');
  return PortNumberOfName(ascii);
}

std::vector<int> ProbeCandidates(const PortPresence& presence) {
  std::vector<int> candidates;
  for (int number = kFirstListedPort; number <= kLastListedPort; ++number) {
    const bool named = std::binary_search(presence.numbers.begin(), presence.numbers.end(), number);
    if (named || !presence.complete) candidates.push_back(number);
  }
  return candidates;
}

bool PortsDirectoryIsPrivate() { return std::getenv("BRISKO_PORTS_DIR") != nullptr; }

std::string PortsDirectory() {
  if (PortsDirectoryIsPrivate()) return Env("BRISKO_PORTS_DIR");
  std::string config = Env("XDG_CONFIG_HOME");
  if (config.empty()) {
    const std::string home = Env("HOME");
    if (home.empty()) return std::string();
    config = home + "/.config";
  }
  return config + "/brisko/ports";
}

}  // namespace brisko
