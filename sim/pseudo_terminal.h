// The pseudo-terminal the simulated logger talks through, and its entry
// COM<n> in the ports directory. The simulator keeps a slave descriptor of its
// own open for its whole run: the tool opens and closes its side (port
// enumeration does too), and without a second holder every close would hang
// up the master. POSIX only; single-threaded.
#pragma once

#include <string>

namespace brisko {

class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // Opens the master (non-blocking) and one slave descriptor in raw mode at
  // 57600 baud. False with `error` set when the system refuses.
  bool Open(std::string& error);

  int masterFd() const { return masterFd_; }
  const std::string& slavePath() const { return slavePath_; }

  // Bytes written to the master that no one has read from the device yet.
  int UnreadByTool() const;

 private:
  int masterFd_ = -1;
  int slaveFd_ = -1;
  std::string slavePath_;
};

// The COM<n> link to the slave device. Removed by the destructor, and only
// when it still points at this simulator's device.
class PortEntry {
 public:
  PortEntry() = default;
  ~PortEntry();
  PortEntry(const PortEntry&) = delete;
  PortEntry& operator=(const PortEntry&) = delete;

  // Creates the directory if needed and the link COM<n> -> target, with n the
  // first free number from 1, or requestedPort when it is above 0. An entry
  // whose link points nowhere (left by a simulator that was killed) counts as
  // free. False with `error` set when no entry could be made.
  bool Publish(const std::string& directory, const std::string& target, int requestedPort, std::string& error);
  void Remove();

  int portNumber() const { return portNumber_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string target_;
  int portNumber_ = 0;
};

}  // namespace brisko
