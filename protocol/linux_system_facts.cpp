#include "protocol/linux_system_facts.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "link/adapter_identity.h"
#include "link/port_names.h"

namespace brisko {

namespace {

const char* const kGrabbingPrograms[] = {"ModemManager", "brltty"};

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string ReadLink(const std::string& path) {
  char target[PATH_MAX];
  const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

// The numbered entries of /proc: one per process.
std::vector<std::string> ProcessIds(const std::string& proc) {
  std::vector<std::string> pids;
  DIR* dir = ::opendir(proc.c_str());
  if (dir == nullptr) return pids;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) pids.push_back(name);
  }
  ::closedir(dir);
  return pids;
}

class LinuxSystemFacts : public SystemFacts {
 public:
  explicit LinuxSystemFacts(LinuxRoots roots) : roots_(std::move(roots)) {}

  PortFacts ForPort(int portNumber) override {
    PortFacts facts;
    facts.entry = DevicePathForPort(portNumber);
    if (facts.entry.empty()) return facts;
    char resolved[PATH_MAX];
    if (::realpath(facts.entry.c_str(), resolved) == nullptr) {
      facts.device = "does not exist";
      return facts;
    }
    facts.device = resolved;
    struct stat info {};
    if (::stat(resolved, &info) == 0) {
      facts.group = GroupName(info.st_gid);
      facts.groupAccess = GroupAccess(info.st_gid, facts.group);
    }
    facts.heldBy = Holders(facts.device);
    facts.adapter = ReadAdapterInfo(facts.device, roots_.sys, roots_.serialById);
    return facts;
  }

  std::vector<std::string> GrabbingServices() override {
    std::vector<std::string> services;
    for (const char* program : kGrabbingPrograms) {
      std::string pids;
      for (const std::string& pid : ProcessIds(roots_.proc)) {
        if (ReadFirstLine(roots_.proc + "/" + pid + "/comm") == program) pids += (pids.empty() ? "" : ", ") + pid;
      }
      services.push_back(std::string(program) + ": " + (pids.empty() ? "not running" : "running (pid " + pids + ")"));
    }
    return services;
  }

 private:
  // The line of /etc/group for gid: name, password, gid, members.
  std::vector<std::string> GroupEntry(unsigned gid) const {
    std::ifstream in(roots_.etcGroup);
    std::string line;
    while (std::getline(in, line)) {
      std::vector<std::string> fields = Split(line, ':');
      if (fields.size() >= 3 && fields[2] == std::to_string(gid)) {
        fields.resize(4);
        return fields;
      }
    }
    return {};
  }

  std::string GroupName(unsigned gid) const {
    const std::vector<std::string> entry = GroupEntry(gid);
    return entry.empty() ? std::to_string(gid) : entry[0];
  }

  // A field of /proc/self/status ("Uid:", "Gid:", "Groups:"), its numbers.
  std::vector<std::string> StatusNumbers(const std::string& field) const {
    std::ifstream in(roots_.proc + "/self/status");
    std::string line;
    while (std::getline(in, line)) {
      if (line.compare(0, field.size(), field) != 0) continue;
      std::vector<std::string> numbers;
      std::stringstream words(line.substr(field.size()));
      std::string word;
      while (words >> word) numbers.push_back(word);
      return numbers;
    }
    return {};
  }

  std::string UserName() const {
    const std::vector<std::string> uid = StatusNumbers("Uid:");
    if (uid.empty()) return std::string();
    std::ifstream in(roots_.etcPasswd);
    std::string line;
    while (std::getline(in, line)) {
      const std::vector<std::string> fields = Split(line, ':');
      if (fields.size() >= 3 && fields[2] == uid[0]) return fields[0];
    }
    return std::string();
  }

  std::string GroupAccess(unsigned gid, const std::string& group) const {
    const std::string wanted = std::to_string(gid);
    const std::vector<std::string> gids = StatusNumbers("Gid:");
    const std::vector<std::string> groups = StatusNumbers("Groups:");
    const bool inSession = (gids.size() > 1 && gids[1] == wanted) ||
                           std::find(groups.begin(), groups.end(), wanted) != groups.end();
    if (inSession) return "this user is in it";
    const std::string user = UserName();
    const std::vector<std::string> entry = GroupEntry(gid);
    const std::vector<std::string> members = entry.empty() ? std::vector<std::string>() : Split(entry[3], ',');
    if (!user.empty() && std::find(members.begin(), members.end(), user) != members.end()) {
      return "this user was added to it after logging in: log out and in again";
    }
    return "this user is not in it (sudo usermod -aG " + group + " " + (user.empty() ? "$USER" : user) +
           ", then log out and in again)";
  }

  // Every process with an open descriptor on the device. Another user's
  // descriptors are readable only to root: those are counted, not named.
  std::string Holders(const std::string& device) const {
    const std::string self = ReadLink(roots_.proc + "/self");
    std::string holders;
    int unreadable = 0;
    for (const std::string& pid : ProcessIds(roots_.proc)) {
      const std::string fdDirectory = roots_.proc + "/" + pid + "/fd";
      DIR* dir = ::opendir(fdDirectory.c_str());
      if (dir == nullptr) {
        ++unreadable;
        continue;
      }
      bool holds = false;
      while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.' && ReadLink(fdDirectory + "/" + entry->d_name) == device) holds = true;
      }
      ::closedir(dir);
      if (!holds) continue;
      holders += (holders.empty() ? "" : ", ") + std::string("pid ") + pid + " (" +
                 ReadFirstLine(roots_.proc + "/" + pid + "/comm") + (pid == self ? ", this program" : "") + ")";
    }
    if (holders.empty() && unreadable > 0) {
      return "no process of this user; " + std::to_string(unreadable) + " processes of other users are not readable";
    }
    return holders;
  }

  LinuxRoots roots_;
};

}  // namespace

std::unique_ptr<SystemFacts> MakeLinuxSystemFacts(const LinuxRoots& roots) {
  return std::make_unique<LinuxSystemFacts>(roots);
}

std::unique_ptr<SystemFacts> MakeSystemFacts() { return MakeLinuxSystemFacts(LinuxRoots{}); }

}  // namespace brisko
