// Runs one command of the command line on the same core as the window
// (LoggerCore: the field rule, the limits, the code page, the command ring
// and its pacing, the exit drain), with no window: the core's message boxes
// become lines on the error stream or a question on the terminal, and the
// record is printed instead of shown. Plain C++, no toolkit.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "protocol/code_page.h"
#include "protocol/platform.h"

namespace brisko {

// Where the deletion question is asked.
class Terminal {
 public:
  virtual ~Terminal() = default;
  // True when a person can answer: standard input is a terminal.
  virtual bool Interactive() const = 0;
  virtual bool AskYesNo(const std::string& question) = 0;
};

// Standard input and standard error (standard output stays for the result).
class ConsoleTerminal : public Terminal {
 public:
  bool Interactive() const override;
  bool AskYesNo(const std::string& question) override;
};

// Runs `line` (not Command::Window) and returns its exit status. Texts go
// to the logger in `codePage`; the output is UTF-8.
int RunCommand(const CommandLine& line, const Platform& platform, const CodePage& codePage, Terminal& terminal,
               std::ostream& out, std::ostream& err);

// The whole command line of a program on this machine's ports, standard
// streams and terminal: parses `args` (UTF-8, without the program's name)
// into `line` and runs its command, printing the result on `out`. Nothing
// when there is no command: the window opens, with what `line` holds for it
// (--trace).
std::optional<int> RunCommandLine(const std::vector<std::string>& args, const CodePage& codePage, CommandLine& line);
// Runs a parsed command (not the window) on this machine's ports and
// terminal, with its result on `out`, and returns its exit status.
int RunMachineCommand(const CommandLine& line, const CodePage& codePage, std::ostream& out);

}  // namespace brisko
