// What both Windows programs need to run a command: their arguments as UTF-8
// (Windows gives them in UTF-16), and a console to print to for the window
// program, which has none of its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace brisko {

// The program's arguments without its name, UTF-8.
std::vector<std::string> Utf8Arguments();

// The window program started from a console: standard output and error go to
// that console (unless they were redirected), so that a command run by
// brisko.exe prints where it was typed. False when standard output reaches
// nothing: no redirection and no console (started from a shortcut).
bool UseParentConsole();

// Where --diagnostics puts its report when standard output reaches nothing:
// beside BRISKO.INI, in the working directory.
inline constexpr const char* kDiagnosticsFileName = "BRISKO-DIAGNOSTICS.TXT";

// Parses `args` into `line` and runs its command with the ANSI code page of
// the window; the console shows UTF-8 meanwhile. Without `console` the
// diagnostics report goes into kDiagnosticsFileName and a message box says
// so. Nothing when there is no command: the window opens with `line`.
std::optional<int> RunWindowsCommandLine(const std::vector<std::string>& args, bool console, CommandLine& line);

}  // namespace brisko
