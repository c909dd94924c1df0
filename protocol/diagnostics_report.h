// The diagnostics report: a plain text that a pilot copies or prints and
// sends to whoever helps, saying what the tool runs on, which ports it lists
// and what the system says about each, how the open port stands, why ports
// failed, and the end of a running trace. Building the text is separate from
// gathering it, so that every source can be replaced in a test. Nothing here
// sends to the logger or opens a port.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/adapter_identity.h"

namespace brisko {

class LoggerCore;

// What the system says about one listed port. Empty texts are not known on
// this system and are left out of the report.
struct PortFacts {
  std::string entry;   // the name the tool opens (a ports-directory link, "\\.\COM3")
  std::string device;  // the device that resolves to ("/dev/ttyUSB0")
  std::string group;        // the device's group
  std::string groupAccess;  // whether this user is in it, said so that the user can act
  std::string heldBy;       // the processes that have the device open ("pid 812 (ModemManager)")
  // The adapter as the system names it, read as the port list's tips read it.
  AdapterInfo adapter;
};

// The system's side: one implementation per platform, fake roots in tests.
class SystemFacts {
 public:
  virtual ~SystemFacts() = default;
  virtual PortFacts ForPort(int portNumber) = 0;
  // Programs known to take serial adapters for themselves, with whether they
  // run ("ModemManager: running (pid 812)").
  virtual std::vector<std::string> GrabbingServices() = 0;
};

struct DiagnosticsInput {
  std::string program;  // "brisko 1.8"
  std::string build;    // "64-bit"
  std::string system;
  std::string codePage;
  std::vector<int> listedPorts;
  std::map<int, PortFacts> ports;  // by number, for the listed ports and the failed ones
  std::string openPort;            // the status field, e.g. "COM3 Open Ok"; empty when none was opened
  std::map<int, std::string> failures;  // the last failure of each port that failed, in the system's words
  std::vector<std::string> services;
  std::string tracePath;  // empty when no trace runs
  std::vector<std::string> traceTail;
  std::string traceFailure;  // why the last trace ended on its own
};

// The report, UTF-8.
std::string BuildDiagnosticsReport(const DiagnosticsInput& input);

// Everything the core and the system know now. `listedPorts` is the port
// list as the dialog shows it.
DiagnosticsInput GatherDiagnostics(const LoggerCore& core, const std::vector<int>& listedPorts, SystemFacts& facts);

// This machine's facts: /proc, /dev and /etc/group on Linux.
std::unique_ptr<SystemFacts> MakeSystemFacts();

// The report of this machine as it stands now, with the ports listed so.
std::string MachineDiagnosticsReport(const LoggerCore& core, const std::vector<int>& listedPorts);

}  // namespace brisko
