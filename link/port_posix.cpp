// Serial ports on POSIX systems: port n is the device that DevicePathForPort
// names (an entry of the ports directory, else the built-in table), and the
// ports present are the entries and table devices that exist. Exclusive like
// a Win32 share mode of 0: flock() keeps out every other open (root's too,
// which TIOCEXCL alone does not), TIOCEXCL keeps out programs that do not
// lock.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "link/port_names.h"
#include "link/serial_port.h"

namespace brisko {

namespace {

// The built-in table that port_names.h describes.
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

PortErrorKind KindOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR:
    case ELOOP:
      return PortErrorKind::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return PortErrorKind::PermissionDenied;
    case EBUSY:
    case EWOULDBLOCK:
      return PortErrorKind::Busy;
    default:
      return PortErrorKind::Other;
  }
}

std::string GroupOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::string();
  std::vector<char> buffer(4096);
  struct group entry {};
  struct group* found = nullptr;
  if (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
    return std::string();
  }
  return found->gr_name;
}

void FailWith(PortOpenError& error, int errnoValue) {
  error.kind = KindOfErrno(errnoValue);
  error.systemMessage = std::strerror(errnoValue);
  if (error.kind == PortErrorKind::PermissionDenied) error.deviceGroup = GroupOf(error.devicePath);
}

// Full raw mode, 57600 8N1, no flow control of any kind, reads that return at
// once (the worker waits in poll(), not in read()). A setting the device refuses is not fatal: the port is used as it is.
void ApplyLineSettings(int fd) {
  struct termios tio {};
  if (::tcgetattr(fd, &tio) != 0) return;
  tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                        IXANY | INPCK);
  tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
#ifdef CRTSCTS
  tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
  tio.c_cflag |= CS8 | CREAD | CLOCAL;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, B57600);
  ::cfsetospeed(&tio, B57600);
  ::tcsetattr(fd, TCSANOW, &tio);

  // DTR and RTS off while the port is open; a pseudo-terminal has no modem
  // lines and answers ENOTTY, which is fine.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd, TIOCMBIC, &lines);
}

class PosixSerialPort final : public SerialPort {
 public:
  explicit PosixSerialPort(int fd) : fd_(fd), wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
  ~PosixSerialPort() override {
    if (wakeFd_ >= 0) ::close(wakeFd_);
    // The exclusive flag belongs to the device, not to this descriptor, so it
    // must be dropped before the close or the port stays locked.
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  bool WaitReadable(std::uint32_t timeoutMs) override {
    if (!lostReason_.empty()) return true;
    // POLLHUP and POLLERR end the wait too; the read that follows tells them
    // apart. A wake request ends it and is used up.
    pollfd pollers[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const int ready = ::poll(pollers, wakeFd_ >= 0 ? 2 : 1, static_cast<int>(std::min<std::uint32_t>(timeoutMs, 60000)));
    if (ready > 0 && (pollers[1].revents & POLLIN) != 0) {
      std::uint64_t requests = 0;
      if (::read(wakeFd_, &requests, sizeof requests) < 0) requests = 0;
    }
    return ready > 0 && pollers[0].revents != 0;
  }

  bool Wakes() const override { return wakeFd_ >= 0; }

  void Wake() override {
    const std::uint64_t one = 1;
    if (wakeFd_ >= 0 && ::write(wakeFd_, &one, sizeof one) < 0) {
      // The counter is full: wakes are pending already.
    }
  }

  ReadOutcome ReadSome(unsigned char* buffer, std::size_t size, std::size_t& count) override {
    count = 0;
    if (!lostReason_.empty()) return ReadOutcome::Lost;
    const ssize_t got = ::read(fd_, buffer, size);
    if (got > 0) {
      count = static_cast<std::size_t>(got);
      return ReadOutcome::Bytes;
    }
    if (got < 0) {
      if (errno == EAGAIN || errno == EINTR) return ReadOutcome::Nothing;
      return NoteIfGone(errno) ? ReadOutcome::Lost : ReadOutcome::Failed;
    }
    // With VMIN and VTIME at 0 an empty read means "nothing waiting", and also
    // "hung up": only poll tells the two apart.
    pollfd poller{fd_, POLLIN, 0};
    if (::poll(&poller, 1, 0) > 0 && (poller.revents & POLLHUP) != 0) {
      lostReason_ = "the device hung up";
      return ReadOutcome::Lost;
    }
    return ReadOutcome::Nothing;
  }

  bool Write(const std::string& bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t count = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (count < 0) {
        if (errno == EINTR) continue;
        // The next read reports a device that is gone.
        NoteIfGone(errno);
        return false;
      }
      done += static_cast<std::size_t>(count);
    }
    return true;
  }

  // A terminal keeps no error state to clear: a failed call reports its errno
  // once and the next call starts afresh.
  void ClearError() override {}

  void Purge() override { ::tcflush(fd_, TCIOFLUSH); }

  std::string LostReason() const override { return lostReason_; }

 private:
  // EIO on a terminal is what a hung-up or unplugged device answers; ENXIO
  // and ENODEV say outright that it is gone.
  bool NoteIfGone(int error) {
    if (error != EIO && error != ENXIO && error != ENODEV) return false;
    lostReason_ = std::strerror(error);
    return true;
  }

  int fd_;
  int wakeFd_;  // -1 when the system gave none: the worker then wakes on its own
  std::string lostReason_;  // empty while the device is there
};

// The identity of the entry and of the device node it leads to, and the
// node's last change of owner or mode: a new adapter is a new node, and udev
// gives it its group a moment after it appears.
std::uint64_t DeviceStamp(const std::string& path) {
  struct stat entry {};
  struct stat node {};
  if (::lstat(path.c_str(), &entry) != 0) return 0;
  if (::stat(path.c_str(), &node) != 0) node = {};
  std::uint64_t stamp = entry.st_ino;
  for (std::uint64_t part : {static_cast<std::uint64_t>(node.st_ino), static_cast<std::uint64_t>(node.st_rdev),
                             static_cast<std::uint64_t>(node.st_ctim.tv_sec),
                             static_cast<std::uint64_t>(node.st_ctim.tv_nsec)}) {
    stamp = stamp * 1000003u ^ part;
  }
  return stamp;
}

class PosixPortSystem final : public PortSystem {
 public:
  // Names only: the ports directory and the built-in table's device nodes.
  PortPresence PresentPorts() override {
    PortPresence presence;
    presence.numbers = ExistingPortNumbers();
    for (int number : presence.numbers) presence.stamps.push_back(DeviceStamp(DevicePathForPort(number)));
    return presence;
  }

  AdapterInfo Adapter(int portNumber) override {
    const std::string path = DevicePathForPort(portNumber);
    return path.empty() ? AdapterInfo{} : ReadAdapterInfo(path);
  }

  // The open alone: no line settings, no modem lines, no exclusive flag. The
  // lock is tested and dropped again so that a port another program holds is
  // left out of the list.
  bool Probe(int portNumber) override {
    const std::string path = DevicePathForPort(portNumber);
    if (path.empty()) return false;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    const bool free = ::isatty(fd) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (free) ::flock(fd, LOCK_UN);
    ::close(fd);
    return free;
  }

  std::unique_ptr<SerialPort> Open(int portNumber, PortOpenError& error) override {
    error = PortOpenError{};
    error.devicePath = DevicePathForPort(portNumber);
    if (error.devicePath.empty()) {
      error.kind = PortErrorKind::NotFound;
      error.systemMessage = "no device is assigned to this port number";
      return nullptr;
    }
    // Non-blocking so that the open itself never waits for a modem line; the
    // flag is dropped again below so that writes block until done.
    const int fd = ::open(error.devicePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
      FailWith(error, errno);
      return nullptr;
    }
    // Only a terminal device can be a serial port: an entry that leads to a
    // plain file, a disk or /dev/null must not open and take the logger's
    // commands.
    if (!::isatty(fd)) {
      ::close(fd);
      error.kind = PortErrorKind::Other;
      error.systemMessage = "not a serial port (not a terminal device)";
      return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int lockError = errno;
      ::close(fd);
      FailWith(error, lockError == EWOULDBLOCK ? EBUSY : lockError);
      return nullptr;
    }
    ::ioctl(fd, TIOCEXCL);
    ApplyLineSettings(fd);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return std::make_unique<PosixSerialPort>(fd);
  }
};

}  // namespace

std::string DevicePathForPort(int portNumber) {
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
}

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

std::unique_ptr<PortSystem> MakePlatformPortSystem() { return std::make_unique<PosixPortSystem>(); }

}  // namespace brisko
