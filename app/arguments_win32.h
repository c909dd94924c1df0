// What both Windows programs need to run a command: their arguments as UTF-8
// (Windows gives them in UTF-16), and a console to print to for the window
// program, which has none of its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brisko {

// The program's arguments without its name, UTF-8.
std::vector<std::string> Utf8Arguments();

// The window program started from a console: standard output and error go to
// that console (unless they were redirected), so that a command run by
// brisko.exe prints where it was typed.
void UseParentConsole();

// Runs the command line with the ANSI code page of the window; the console
// shows UTF-8 meanwhile. Nothing when there is no command.
std::optional<int> RunWindowsCommandLine();

}  // namespace brisko
