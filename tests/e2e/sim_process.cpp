#include "tests/e2e/sim_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "link/sentence_text.h"

extern char** environ;

namespace brisko {

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);

int HexValue(char c) { return UpperHexDigitValue(static_cast<unsigned char>(c)); }

// "brisko-sim: COM3 -> /dev/pts/5": the first line of every run.
bool ParsePortLine(const std::string& line, int* port, std::string* device) {
  static const std::string kPrefix = "brisko-sim: COM";
  static const std::string kArrow = " -> ";
  if (line.rfind(kPrefix, 0) != 0) return false;
  std::size_t end = kPrefix.size();
  while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
  if (end == kPrefix.size() || line.compare(end, kArrow.size(), kArrow) != 0) return false;
  const std::string path = line.substr(end + kArrow.size());
  if (path.empty() || path.find(' ') != std::string::npos) return false;
  if (port != nullptr) *port = std::stoi(line.substr(kPrefix.size(), end - kPrefix.size()));
  if (device != nullptr) *device = path;
  return true;
}

}  // namespace

const char* SimBinaryPath() { return BRISKO_SIM_PATH; }

std::string UnescapeLogText(const std::string& shown) {
  std::string bytes;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] != '\\' || i + 1 == shown.size()) {
      bytes.push_back(shown[i]);
      continue;
    }
    const char code = shown[++i];
    switch (code) {
      case 'r': bytes.push_back('\r'); break;
      case 'n': bytes.push_back('\n'); break;
      case 't': bytes.push_back('\t'); break;
      case 'x':
        if (i + 2 < shown.size() && HexValue(shown[i + 1]) >= 0 && HexValue(shown[i + 2]) >= 0) {
          bytes.push_back(static_cast<char>(HexValue(shown[i + 1]) * 16 + HexValue(shown[i + 2])));
          i += 2;
        }
        break;
      default: bytes.push_back(code);  // \\ and \"
    }
  }
  return bytes;
}

SimProcess::SimProcess(const std::vector<std::string>& args, const std::string& portsDirectory)
    : portsDirectory_(portsDirectory) {
  if (portsDirectory_.empty()) {
    char pattern[] = "/tmp/brisko-e2e-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return;
    ownedDirectory_ = pattern;
    portsDirectory_ = ownedDirectory_ + "/ports";
  }
  ::setenv("BRISKO_PORTS_DIR", portsDirectory_.c_str(), 1);

  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
  std::vector<std::string> argvStrings = {SimBinaryPath()};
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : argvStrings) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int spawned = ::posix_spawn(&pid_, SimBinaryPath(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    pid_ = -1;
    ::close(pipeFds[0]);
    return;
  }
  reader_ = std::thread([this, fd = pipeFds[0]] { ReadLog(fd); });

  int port = 0;
  std::string device;
  const long index = WaitForLine([](const std::string& line) { return ParsePortLine(line, nullptr, nullptr); },
                                 std::chrono::duration_cast<std::chrono::milliseconds>(kStartTimeout));
  if (index < 0) return;
  ParsePortLine(Lines()[static_cast<std::size_t>(index)], &port, &device);
  port_ = port;
  devicePath_ = device;
}

SimProcess::~SimProcess() {
  Stop(SIGTERM);
  if (reader_.joinable()) reader_.join();
  if (!ownedDirectory_.empty()) std::system(("rm -rf '" + ownedDirectory_ + "'").c_str());
}

int SimProcess::Stop(int signalNumber) {
  if (pid_ <= 0) return exitStatus_;
  ::kill(pid_, signalNumber);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  exitStatus_ = status;
  if (reader_.joinable()) reader_.join();  // the log ends with the process
  return status;
}

void SimProcess::ReadLog(int fd) {
  std::string pending;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending.append(buffer, static_cast<std::size_t>(n));
    std::size_t newline;
    std::lock_guard<std::mutex> lock(mutex_);
    while ((newline = pending.find('\n')) != std::string::npos) {
      lines_.push_back(pending.substr(0, newline));
      pending.erase(0, newline + 1);
    }
    changed_.notify_all();
  }
  ::close(fd);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!pending.empty()) lines_.push_back(pending);
  logClosed_ = true;
  changed_.notify_all();
}

std::vector<std::string> SimProcess::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

long SimProcess::WaitForLine(const std::function<bool(const std::string&)>& match, std::chrono::milliseconds timeout,
                             std::size_t fromLine) const {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::size_t checked = fromLine;
  for (;;) {
    for (; checked < lines_.size(); ++checked) {
      if (match(lines_[checked])) return static_cast<long>(checked);
    }
    if (logClosed_ || changed_.wait_until(lock, deadline) == std::cv_status::timeout) {
      for (; checked < lines_.size(); ++checked) {
        if (match(lines_[checked])) return static_cast<long>(checked);
      }
      return -1;
    }
  }
}

namespace {

// "[   1234 ms] rx "$NT800,1" checksum ok": a command received with a good
// checksum. Gives its text, still escaped, and its time.
bool ParseReceivedCommand(const std::string& line, std::string* shown, long* milliseconds) {
  static const std::string kOpen = " ms] rx \"";
  static const std::string kClose = "\" checksum ok";
  const std::size_t open = line.find(kOpen);
  if (line.rfind("[", 0) != 0 || open == std::string::npos || line.size() < open + kOpen.size() + kClose.size() ||
      line.compare(line.size() - kClose.size(), kClose.size(), kClose) != 0) {
    return false;
  }
  const std::size_t begin = open + kOpen.size();
  *shown = line.substr(begin, line.size() - kClose.size() - begin);
  *milliseconds = std::strtol(line.c_str() + 1, nullptr, 10);
  return true;
}

}  // namespace

std::vector<std::string> SimProcess::ReceivedCommands(std::size_t fromLine) const {
  std::vector<std::string> commands;
  const std::vector<std::string> lines = Lines();
  std::string shown;
  long milliseconds = 0;
  for (std::size_t i = fromLine; i < lines.size(); ++i) {
    if (ParseReceivedCommand(lines[i], &shown, &milliseconds)) commands.push_back(UnescapeLogText(shown));
  }
  return commands;
}

std::vector<long> SimProcess::ReceivedCommandTimes(std::size_t fromLine) const {
  std::vector<long> times;
  const std::vector<std::string> lines = Lines();
  std::string shown;
  long milliseconds = 0;
  for (std::size_t i = fromLine; i < lines.size(); ++i) {
    if (ParseReceivedCommand(lines[i], &shown, &milliseconds)) times.push_back(milliseconds);
  }
  return times;
}

bool SimProcess::WaitForCommands(std::size_t count, std::chrono::milliseconds timeout, std::size_t fromLine) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (ReceivedCommands(fromLine).size() >= count) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    // Wakes at the next log line (or the deadline) and counts again.
    const std::size_t seen = Lines().size();
    WaitForLine([](const std::string&) { return true; }, left, seen);
  }
}

}  // namespace brisko
