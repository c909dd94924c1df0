#include "bench/process_usage.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

namespace brisko {

namespace {

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

long ParseStatusRssKiB(const std::string& statusText) {
  static const std::string kKey = "\nVmRSS:";
  const std::size_t at = ("\n" + statusText).find(kKey);
  if (at == std::string::npos) return -1;
  std::istringstream fields(statusText.substr(at + kKey.size() - 1));
  long kib = -1;
  std::string unit;
  if (!(fields >> kib >> unit) || unit != "kB") return -1;
  return kib;
}

long long ParseStatCpuTicks(const std::string& statText) {
  // pid (name) state ppid ... : utime and stime are the 14th and 15th fields,
  // the 12th and 13th after the name's closing parenthesis.
  const std::size_t close = statText.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(statText.substr(close + 1));
  std::string skipped;
  for (int index = 3; index <= 13; ++index) {
    if (!(fields >> skipped)) return -1;
  }
  long long utime = -1;
  long long stime = -1;
  if (!(fields >> utime >> stime) || utime < 0 || stime < 0) return -1;
  return utime + stime;
}

ProcessUsage ReadProcessUsage(pid_t pid) {
  const std::string dir = pid == 0 ? "/proc/self" : "/proc/" + std::to_string(pid);
  ProcessUsage usage;
  usage.rssKiB = ParseStatusRssKiB(ReadWholeFile(dir + "/status"));
  const long long ticks = ParseStatCpuTicks(ReadWholeFile(dir + "/stat"));
  usage.ok = usage.rssKiB >= 0 && ticks >= 0;
  if (usage.ok) usage.cpuSeconds = static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
  return usage;
}

}  // namespace brisko
