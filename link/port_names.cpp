#include "link/port_names.h"

#include <cstdlib>
#include <string_view>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace brisko {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

#if !defined(_WIN32)
// The table that the header describes.
struct BuiltInRange {
  int first;
  int last;
  std::string_view prefix;
};

constexpr BuiltInRange kBuiltIn[] = {
    {1, 8, "/dev/ttyS"},
    {9, 16, "/dev/ttyUSB"},
    {17, 24, "/dev/ttyACM"},
    {25, kLastListedPort, "/dev/rfcomm"},
};

bool EntryExists(const std::string& path) {
  struct stat info {};
  // lstat: a link that points nowhere still names the port; the open then
  // fails with "not found", which is what the user should see.
  return ::lstat(path.c_str(), &info) == 0;
}
#endif

}  // namespace

std::string PortName(int portNumber) { return "COM" + std::to_string(portNumber); }

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

std::string DevicePathForPort(int portNumber) {
#if defined(_WIN32)
  return "//./" + PortName(portNumber);
#else
  const std::string directory = PortsDirectory();
  if (!directory.empty()) {
    std::string entry = directory + "/" + PortName(portNumber);
    if (EntryExists(entry)) return entry;
  }
  if (PortsDirectoryIsPrivate()) return std::string();
  for (const auto& range : kBuiltIn) {
    if (portNumber >= range.first && portNumber <= range.last) {
      return std::string(range.prefix) + std::to_string(portNumber - range.first);
    }
  }
  return std::string();
#endif
}

}  // namespace brisko
