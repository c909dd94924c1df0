#include "link/port_names.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <string_view>

#if !defined(_WIN32)
#include <dirent.h>
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
    {25, kLastTablePort, "/dev/rfcomm"},
};

bool EntryExists(const std::string& path) {
  struct stat info {};
  // lstat: a link that points nowhere still names the port; the open then
  // fails with "not found", which is what the user should see.
  return ::lstat(path.c_str(), &info) == 0;
}

// The numbers of the "COM<n>" entries of the ports directory.
void AddDirectoryEntries(const std::string& directory, std::set<int>& numbers) {
  DIR* listing = directory.empty() ? nullptr : ::opendir(directory.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = ::readdir(listing)) {
    // Exactly the name DevicePathForPort looks for.
    const int number = PortNumberOfName(entry->d_name);
    if (number != 0 && PortName(number) == entry->d_name) numbers.insert(number);
  }
  ::closedir(listing);
}
#endif

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

#if !defined(_WIN32)
std::vector<int> ExistingPortNumbers() {
  std::set<int> numbers;
  AddDirectoryEntries(PortsDirectory(), numbers);
  if (!PortsDirectoryIsPrivate()) {
    for (const auto& range : kBuiltIn) {
      for (int number = range.first; number <= range.last; ++number) {
        if (EntryExists(std::string(range.prefix) + std::to_string(number - range.first))) numbers.insert(number);
      }
    }
  }
  return std::vector<int>(numbers.begin(), numbers.end());
}
#endif

}  // namespace brisko
