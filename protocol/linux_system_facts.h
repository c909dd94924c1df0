// What Linux says about a serial port, read from the file system alone: the
// device a port's entry resolves to, the device's group and whether this
// user is in it (now, or only after logging in again), the processes that
// have the device open (from /proc; another user's are readable only to
// root), and whether ModemManager or brltty run, since both are known to
// open USB serial adapters as they appear; and what sysfs says of the
// adapter (the adapter identity's read). The roots are parameters so that
// tests run it on a fake tree.
#pragma once

#include <memory>
#include <string>

#include "protocol/diagnostics_report.h"

namespace brisko {

struct LinuxRoots {
  std::string proc = "/proc";
  std::string etcGroup = "/etc/group";
  std::string etcPasswd = "/etc/passwd";
  std::string sys = "/sys";
  std::string serialById = "/dev/serial/by-id";
};

std::unique_ptr<SystemFacts> MakeLinuxSystemFacts(const LinuxRoots& roots);

}  // namespace brisko
