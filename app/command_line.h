// The command line that both programs take: with no command the window opens;
// with one, the same core that runs the window runs it without one and the
// program ends with an exit status that scripts can test. Parsed with CLI11,
// from one table of options (AddOptions) that grows by a line per option.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace brisko {

enum class Command { Window, ListPorts, Show, Apply, DeleteFlights, Diagnostics };

// One per outcome; the README lists them.
enum ExitStatus : int {
  kExitDone = 0,
  kExitRefused = 1,        // a value refused, the user said no, or the logger does not hold what was asked
  kExitUsage = 2,          // wrong command line
  kExitNoLogger = 3,       // the port opened but no logger answered
  kExitPortNotOpened = 4,  // the port could not be opened (the system's reason is printed)
};

struct CommandLine {
  Command command = Command::Window;
  int port = 0;                       // 0: the port saved in BRISKO.INI
  std::string profileFile;            // --apply, UTF-8
  std::vector<std::string> settings;  // --set key=value, in order, UTF-8
  bool yes = false;                   // --yes: answers the deletion question
  bool json = false;
  // --trace: the line traced into this file (UTF-8) while the command or the
  // window runs; empty for none.
  std::string traceFile;
};

// `args` are the program's arguments without its name, UTF-8. Returns the
// exit status when the program ends at once (help shown on `out`, or a
// usage error on `err`); nothing when it goes on with `line`.
std::optional<int> ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::ostream& out,
                                    std::ostream& err);

}  // namespace brisko
