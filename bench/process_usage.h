// Resident memory and CPU time of a running process, read from /proc, for the
// soak and the idle measurements. Linux only.
#pragma once

#include <sys/types.h>

#include <string>

namespace brisko {

struct ProcessUsage {
  bool ok = false;
  long rssKiB = 0;          // VmRSS of /proc/<pid>/status
  double cpuSeconds = 0.0;  // user plus system time of /proc/<pid>/stat
};

// pid 0 reads this process.
ProcessUsage ReadProcessUsage(pid_t pid);

// The parsers behind it, on the files' text. ParseStatCpuTicks returns user
// plus system time in clock ticks, or -1. The process name in the stat line
// is in parentheses and may itself hold spaces and ")".
long ParseStatusRssKiB(const std::string& statusText);
long long ParseStatCpuTicks(const std::string& statText);

}  // namespace brisko
