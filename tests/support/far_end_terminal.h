// A pseudo-terminal standing in for a serial port, the test holding its far
// end (the logger's side), and a private ports directory (BRISKO_PORTS_DIR)
// whose COM<n> entries link to such devices, so that tests open "real" ports
// without touching the machine's own.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace brisko {

class FarEndTerminal {
 public:
  FarEndTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
      const char* name = ::ptsname(master_);
      if (name != nullptr) slavePath_ = name;
    }
  }
  ~FarEndTerminal() {
    if (master_ >= 0) ::close(master_);
  }
  FarEndTerminal(const FarEndTerminal&) = delete;
  FarEndTerminal& operator=(const FarEndTerminal&) = delete;

  bool ok() const { return master_ >= 0 && !slavePath_.empty(); }
  int master() const { return master_; }
  const std::string& slavePath() const { return slavePath_; }

  // What the far end (the logger) sends.
  bool Send(const std::string& bytes) {
    return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // Writes on the port's side, as the tool would, through a descriptor of
  // its own: bytes written after the tool's last write arrive behind all of
  // it, so a marker shows that nothing else followed.
  bool WriteFromPortSide(const std::string& bytes) const {
    const int port = ::open(slavePath_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (port < 0) return false;
    const bool written = ::write(port, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(port);
    return written;
  }

  // Collects what the port wrote until `count` bytes have come or the deadline
  // passed. The arrival time of each chunk is kept for spacing measurements.
  struct Chunk {
    std::string bytes;
    std::chrono::steady_clock::time_point arrived;
  };
  std::vector<Chunk> Receive(std::size_t count, std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
    std::vector<Chunk> chunks;
    std::size_t total = 0;
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (total < count && std::chrono::steady_clock::now() < end) {
      pollfd poller{master_, POLLIN, 0};
      if (::poll(&poller, 1, 5) <= 0 || (poller.revents & POLLIN) == 0) {
        // POLLHUP while no slave is open: wait for the port to be opened.
        if ((poller.revents & POLLHUP) != 0) ::usleep(1000);
        continue;
      }
      char buffer[512];
      const ssize_t got = ::read(master_, buffer, sizeof buffer);
      if (got <= 0) continue;  // EIO between a close and the next open of the slave
      chunks.push_back({std::string(buffer, static_cast<std::size_t>(got)), std::chrono::steady_clock::now()});
      total += static_cast<std::size_t>(got);
    }
    return chunks;
  }

  static std::string Joined(const std::vector<Chunk>& chunks) {
    std::string all;
    for (const auto& chunk : chunks) all += chunk.bytes;
    return all;
  }

  // When each of `lines`, received one after the other, had arrived in full.
  static std::vector<std::chrono::steady_clock::time_point> Arrivals(const std::vector<Chunk>& chunks,
                                                                     const std::vector<std::string>& lines) {
    std::vector<std::chrono::steady_clock::time_point> arrivals;
    std::size_t received = 0;
    std::size_t boundary = 0;
    auto line = lines.begin();
    for (const auto& chunk : chunks) {
      received += chunk.bytes.size();
      while (line != lines.end() && received >= boundary + line->size()) {
        boundary += line->size();
        arrivals.push_back(chunk.arrived);
        ++line;
      }
    }
    return arrivals;
  }

 private:
  int master_ = -1;
  std::string slavePath_;
};

// A temporary ports directory made current through BRISKO_PORTS_DIR for the
// lifetime of the object.
class PrivatePortsDirectory {
 public:
  PrivatePortsDirectory() {
    char pattern[] = "/tmp/brisko-ports-XXXXXX";
    if (::mkdtemp(pattern) != nullptr) path_ = pattern;
    const char* previous = ::getenv("BRISKO_PORTS_DIR");
    if (previous != nullptr) previous_ = std::make_pair(true, std::string(previous));
    ::setenv("BRISKO_PORTS_DIR", path_.c_str(), 1);
  }
  ~PrivatePortsDirectory() {
    for (const auto& entry : entries_) ::unlink(entry.c_str());
    ::rmdir(path_.c_str());
    if (previous_.first) {
      ::setenv("BRISKO_PORTS_DIR", previous_.second.c_str(), 1);
    } else {
      ::unsetenv("BRISKO_PORTS_DIR");
    }
  }
  PrivatePortsDirectory(const PrivatePortsDirectory&) = delete;
  PrivatePortsDirectory& operator=(const PrivatePortsDirectory&) = delete;

  const std::string& path() const { return path_; }

  // COM<n> -> target, which need not exist.
  bool Link(int portNumber, const std::string& target) {
    const std::string entry = path_ + "/COM" + std::to_string(portNumber);
    entries_.push_back(entry);
    return ::symlink(target.c_str(), entry.c_str()) == 0;
  }
  // A plain file that the directory also cleans up.
  std::string File(const std::string& name) {
    const std::string file = path_ + "/" + name;
    const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
    entries_.push_back(file);
    return file;
  }

 private:
  std::string path_;
  std::vector<std::string> entries_;
  std::pair<bool, std::string> previous_{false, std::string()};
};

}  // namespace brisko
