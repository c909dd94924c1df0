#include <langinfo.h>
#include <sys/utsname.h>

#include <cstdlib>

#include "protocol/host_system.h"

namespace brisko {

namespace {

// The code set the user's locale names (LC_ALL, LC_CTYPE, LANG, the first set
// wins, as the C library decides), since the tool does not switch its own
// locale on and nl_langinfo would answer for the "C" locale.
std::string LocaleCodeSet() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    const std::string locale = value;
    const std::size_t dot = locale.find('.');
    if (dot == std::string::npos) return locale + " (" + nl_langinfo(CODESET) + ")";
    return locale.substr(dot + 1, locale.find('@', dot) - dot - 1);
  }
  return nl_langinfo(CODESET);
}

}  // namespace

HostSystem DescribeHostSystem() {
  HostSystem host;
  utsname names{};
  if (uname(&names) == 0) {
    host.system = std::string(names.sysname) + " " + names.release + " " + names.machine;
  } else {
    host.system = "unknown";
  }
  host.codePage = LocaleCodeSet();
  return host;
}

std::string BuildBits() { return sizeof(void*) == 8 ? "64-bit" : "32-bit"; }

}  // namespace brisko
