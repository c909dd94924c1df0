#include "app/arguments_win32.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>

#include "app/command_run.h"
#include "win32/ansi_code_page.h"

namespace brisko {

namespace {

// A standard handle that already goes somewhere (a file or a pipe) stays.
void Reopen(DWORD which, const char* mode, std::FILE* stream) {
  const HANDLE handle = GetStdHandle(which);
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN) return;
  if (std::freopen("CONOUT$", mode, stream) == nullptr) return;
}

}  // namespace

std::vector<std::string> Utf8Arguments() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> utf8;
  for (int i = 1; arguments != nullptr && i < count; ++i) utf8.push_back(WideToUtf8(arguments[i]));
  LocalFree(arguments);
  return utf8;
}

void UseParentConsole() {
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  Reopen(STD_OUTPUT_HANDLE, "w", stdout);
  Reopen(STD_ERROR_HANDLE, "w", stderr);
  if (std::freopen("CONIN$", "r", stdin) == nullptr) return;
}

std::optional<int> RunWindowsCommandLine() {
  const std::vector<std::string> args = Utf8Arguments();
  if (args.empty()) return std::nullopt;
  const UINT previous = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
  std::optional<int> status = RunCommandLine(args, kAnsiCodePage);
  if (previous != 0) SetConsoleOutputCP(previous);
  return status;
}

}  // namespace brisko
