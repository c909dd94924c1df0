// brisko-sim as a child process for end-to-end tests: started with a fresh
// ports directory of its own, its log collected line by line from a pipe by a
// reader thread, stopped with a signal at the end. POSIX only.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace brisko {

class SimProcess {
 public:
  // Starts the simulator with `args`; BRISKO_PORTS_DIR is set, in the child
  // and in this process (so that the tool finds the port there), to
  // `portsDirectory`, or when that is empty to a fresh temporary directory
  // that is removed at the end. Waits for the line naming its port.
  explicit SimProcess(const std::vector<std::string>& args, const std::string& portsDirectory = "");
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool started() const { return port_ > 0; }
  int port() const { return port_; }
  const std::string& devicePath() const { return devicePath_; }
  const std::string& portsDirectory() const { return portsDirectory_; }

  std::vector<std::string> Lines() const;
  // The bytes of every command received with a good checksum, in order,
  // from log line `fromLine` on.
  std::vector<std::string> ReceivedCommands(std::size_t fromLine = 0) const;
  // When each of those arrived, in the log's milliseconds since the start.
  std::vector<long> ReceivedCommandTimes(std::size_t fromLine = 0) const;
  // Waits up to `timeout` for a log line from `fromLine` on that satisfies
  // `match`; returns its index, or -1.
  long WaitForLine(const std::function<bool(const std::string&)>& match, std::chrono::milliseconds timeout,
                   std::size_t fromLine = 0) const;
  // Waits until `count` good commands have been received from `fromLine` on.
  bool WaitForCommands(std::size_t count, std::chrono::milliseconds timeout, std::size_t fromLine = 0) const;

  // Sends the signal and waits for the process; returns its wait status.
  int Stop(int signalNumber);

 private:
  void ReadLog(int fd);

  pid_t pid_ = -1;
  int port_ = 0;
  std::string devicePath_;
  std::string portsDirectory_;
  std::string ownedDirectory_;  // the temporary directory to remove, if ours
  std::thread reader_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<std::string> lines_;
  bool logClosed_ = false;
  int exitStatus_ = -1;
};

// Reverses the simulator's log escaping (\\ \" \r \n \t \xNN).
std::string UnescapeLogText(const std::string& shown);

// The path of the simulator binary, given by the build.
const char* SimBinaryPath();

}  // namespace brisko
