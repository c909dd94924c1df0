#include "sim/pseudo_terminal.h"

#include "link/port_names.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace brisko {

namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// mkdir -p, private to the user like the rest of the configuration directory.
bool MakeDirectories(const std::string& directory, std::string& error) {
  std::string path;
  std::size_t start = 0;
  while (start <= directory.size()) {
    std::size_t slash = directory.find('/', start);
    if (slash == std::string::npos) slash = directory.size();
    path = directory.substr(0, slash);
    if (!path.empty() && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
      error = SystemError("cannot create " + path);
      return false;
    }
    start = slash + 1;
  }
  struct stat info {};
  if (::stat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    error = directory + " is not a directory";
    return false;
  }
  return true;
}

std::string LinkTarget(const std::string& path) {
  char buffer[4096];
  const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
  if (length < 0) return std::string();
  return std::string(buffer, static_cast<std::size_t>(length));
}

// A link whose target does not exist: a simulator was killed before it could
// remove its entry.
bool IsStaleLink(const std::string& path) {
  struct stat linkInfo {};
  struct stat targetInfo {};
  return ::lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode) &&
         ::stat(path.c_str(), &targetInfo) != 0 && errno == ENOENT;
}

}  // namespace

PseudoTerminal::~PseudoTerminal() {
  if (slaveFd_ >= 0) ::close(slaveFd_);
  if (masterFd_ >= 0) ::close(masterFd_);
}

int PseudoTerminal::UnreadByTool() const {
  int unread = 0;
  if (slaveFd_ < 0 || ::ioctl(slaveFd_, FIONREAD, &unread) != 0) return 0;
  return unread;
}

bool PseudoTerminal::Open(std::string& error) {
  masterFd_ = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (masterFd_ < 0) {
    error = SystemError("posix_openpt");
    return false;
  }
  if (::grantpt(masterFd_) != 0 || ::unlockpt(masterFd_) != 0) {
    error = SystemError("grantpt/unlockpt");
    return false;
  }
  char name[256];
  if (::ptsname_r(masterFd_, name, sizeof name) != 0) {
    error = SystemError("ptsname_r");
    return false;
  }
  slavePath_ = name;
  slaveFd_ = ::open(name, O_RDWR | O_NOCTTY);
  if (slaveFd_ < 0) {
    error = SystemError("cannot open " + slavePath_);
    return false;
  }
  // Raw mode: otherwise the line discipline turns LF into CR LF, CR into LF,
  // echoes the tool's commands back to it and acts on control characters.
  // The settings stay while the master is open, for every later opener.
  termios settings{};
  if (::tcgetattr(slaveFd_, &settings) != 0) {
    error = SystemError("tcgetattr");
    return false;
  }
  ::cfmakeraw(&settings);
  ::cfsetspeed(&settings, B57600);
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  if (::tcsetattr(slaveFd_, TCSANOW, &settings) != 0) {
    error = SystemError("tcsetattr");
    return false;
  }
  const int flags = ::fcntl(masterFd_, F_GETFL);
  if (flags < 0 || ::fcntl(masterFd_, F_SETFL, flags | O_NONBLOCK) != 0) {
    error = SystemError("fcntl O_NONBLOCK");
    return false;
  }
  return true;
}

PortEntry::~PortEntry() { Remove(); }

bool PortEntry::Publish(const std::string& directory, const std::string& target, int requestedPort,
                        std::string& error) {
  if (directory.empty()) {
    error = "no ports directory: set BRISKO_PORTS_DIR or HOME";
    return false;
  }
  if (!MakeDirectories(directory, error)) return false;
  const int first = requestedPort > 0 ? requestedPort : 1;
  const int last = requestedPort > 0 ? requestedPort : 9999;
  for (int n = first; n <= last; ++n) {
    const std::string path = directory + "/" + PortName(n);
    if (IsStaleLink(path)) ::unlink(path.c_str());
    if (::symlink(target.c_str(), path.c_str()) == 0) {
      path_ = path;
      target_ = target;
      portNumber_ = n;
      return true;
    }
    // EEXIST: taken (another simulator may have won the race); try the next.
    if (errno != EEXIST) {
      error = SystemError("cannot create " + path);
      return false;
    }
  }
  error = requestedPort > 0 ? directory + "/" + PortName(requestedPort) + " is taken"
                            : "no free COM number in " + directory;
  return false;
}

void PortEntry::Remove() {
  if (path_.empty()) return;
  if (LinkTarget(path_) == target_) ::unlink(path_.c_str());
  path_.clear();
}

}  // namespace brisko
