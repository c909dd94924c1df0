// brisko-cli.exe: the commands of brisko.exe as a console program, for
// cmd.exe and scripts, which wait for it and read its exit status.
#include <iostream>

#include "app/arguments_win32.h"
#include "app/command_line.h"

int wmain() {
  brisko::CommandLine line;
  if (const std::optional<int> status = brisko::RunWindowsCommandLine(brisko::Utf8Arguments(), true, line)) {
    return *status;
  }
  // No command: there is no window here to open.
  (void)brisko::ParseCommandLine({"--help"}, line, std::cerr, std::cerr);
  return brisko::kExitUsage;
}
