#include "app/arguments_win32.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <iostream>

#include "app/command_run.h"
#include "link/wide_text_win32.h"
#include "win32/ansi_code_page.h"

namespace brisko {

namespace {

bool GoesSomewhere(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A standard handle that already goes somewhere (a file or a pipe) stays.
void Reopen(DWORD which, const char* mode, std::FILE* stream) {
  if (GoesSomewhere(which)) return;
  if (std::freopen("CONOUT$", mode, stream) == nullptr) return;
}

// The diagnostics report of a program without a console: into the file, and
// a box that says where it is (or why it is not).
int WriteDiagnosticsFile(const CommandLine& line) {
  std::ofstream file(kDiagnosticsFileName, std::ios::binary | std::ios::trunc);
  const int status = file ? RunMachineCommand(line, kAnsiCodePage, file) : kExitRefused;
  file.close();
  wchar_t folder[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, folder);
  const std::wstring where = std::wstring(folder) + L"\\" + Utf8ToWide(kDiagnosticsFileName);
  const bool written = status == kExitDone && !file.fail();
  const std::wstring text =
      (written ? L"The diagnostics report is in " : L"The diagnostics report could not be written to ") + where;
  MessageBoxW(nullptr, text.c_str(), L"brisko", MB_OK | (written ? MB_ICONINFORMATION : MB_ICONWARNING));
  return written ? kExitDone : kExitRefused;
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

bool UseParentConsole() {
  const bool redirected = GoesSomewhere(STD_OUTPUT_HANDLE);
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return redirected;
  Reopen(STD_OUTPUT_HANDLE, "w", stdout);
  Reopen(STD_ERROR_HANDLE, "w", stderr);
  (void)std::freopen("CONIN$", "r", stdin);
  return true;
}

std::optional<int> RunWindowsCommandLine(const std::vector<std::string>& args, bool console, CommandLine& line) {
  if (args.empty()) return std::nullopt;
  const UINT previous = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
  std::optional<int> status = ParseCommandLine(args, line, std::cout, std::cerr);
  if (!status && line.command == Command::Diagnostics && !console) {
    status = WriteDiagnosticsFile(line);
  } else if (!status && line.command != Command::Window) {
    status = RunMachineCommand(line, kAnsiCodePage, std::cout);
  }
  if (previous != 0) SetConsoleOutputCP(previous);
  return status;
}

}  // namespace brisko
