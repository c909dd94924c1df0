// The logger's command family, as its identification reply tells it: reply 0
// names the first, reply 800 the second; the two write settings and delete
// flights with different commands.
#pragma once

namespace brisko {

enum class LoggerFamily {
  Unknown,  // neither reply 0 nor reply 800 has arrived yet
  First,    // answers the identification with reply 0
  Second,   // answers the identification with reply 800
};

}  // namespace brisko
