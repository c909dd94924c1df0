// The core on the Windows port layer with CreateFileA answered by a fake: how
// each refusal of the system reads in the status field, and that the open
// asks for the port exclusively. Wine opens a held device a second time, so a
// port "held by another program" exists only here.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/link_clock.h"
#include "link/port_win32.h"
#include "tests/support/fake_dialog.h"
#include "tests/support/link_test_support.h"
#include "protocol/logger_core.h"

namespace brisko {
namespace {

struct CreateFileCall {
  std::string name;
  DWORD access;
  DWORD shareMode;
  bool securityAttributes;
  DWORD disposition;
  DWORD flags;
  bool templateFile;
};

std::vector<CreateFileCall> calls;
DWORD refusal = ERROR_ACCESS_DENIED;

HANDLE WINAPI RefusingCreateFile(LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                                 DWORD disposition, DWORD flags, HANDLE templateFile) {
  calls.push_back({name, access, shareMode, security != nullptr, disposition, flags, templateFile != nullptr});
  SetLastError(refusal);
  return INVALID_HANDLE_VALUE;
}

TEST(LoggerCoreWin32Test, EachRefusalOfTheOpenShowsItsClassAndTheSystemsWords) {
  struct Case {
    DWORD error;
    const char* status;
    const char* remedy;  // part of the tooltip's text, or nullptr
  };
  const Case cases[] = {
      {ERROR_ACCESS_DENIED, "COM3 busy", "Another program"},  // how Windows answers for a held COM port
      {ERROR_SHARING_VIOLATION, "COM3 busy", "Another program"},
      {ERROR_FILE_NOT_FOUND, "COM3 not found", "plugged in"},
      {ERROR_PATH_NOT_FOUND, "COM3 not found", "plugged in"},
      {ERROR_GEN_FAILURE, "COM3 failed", nullptr},
  };
  auto ports = MakeWin32PortSystem(&RefusingCreateFile);
  auto clock = MakeSystemClock();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    refusal = c.error;
    calls.clear();
    testing::FakeDialog dialog;
    RecordingPoster poster;
    LoggerCore core(dialog, poster, Platform{*ports, *clock, dialog.wallClock()});
    EXPECT_EQ(core.EnumeratePorts(), std::vector<int>{});
    core.OpenPort(3);
    EXPECT_FALSE(core.IsPortOpen());
    EXPECT_EQ(core.record().portStatus, c.status);
    const std::string& detail = core.portStatusDetail();
    EXPECT_EQ(detail.rfind("COM3 (//./COM3): ", 0), 0u) << detail;
    // The system's own message, not the fallback when it has none.
    EXPECT_EQ(detail.find("the port did not open"), std::string::npos) << detail;
    EXPECT_EQ(detail.find("error " + std::to_string(c.error)), std::string::npos) << detail;
    if (c.remedy != nullptr) {
      EXPECT_NE(detail.find(c.remedy), std::string::npos) << detail;
    }
    EXPECT_EQ(dialog.portControlChanges, std::vector<bool>{false});
  }
}

TEST(LoggerCoreWin32Test, PortsAreOpenedExclusivelyForSynchronousReadingAndWriting) {
  refusal = ERROR_ACCESS_DENIED;
  calls.clear();
  auto ports = MakeWin32PortSystem(&RefusingCreateFile);
  auto clock = MakeSystemClock();
  testing::FakeDialog dialog;
  RecordingPoster poster;
  LoggerCore core(dialog, poster, Platform{*ports, *clock, dialog.wallClock()});
  core.OpenPort(30);  // beyond the list, still opened by its name
  ASSERT_EQ(calls.size(), 1u);
  const CreateFileCall& call = calls[0];
  EXPECT_EQ(call.name, "//./COM30");
  EXPECT_EQ(call.access, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
  EXPECT_EQ(call.shareMode, 0u);
  EXPECT_FALSE(call.securityAttributes);
  EXPECT_EQ(call.disposition, static_cast<DWORD>(OPEN_EXISTING));
  EXPECT_EQ(call.flags, 0u) << "no FILE_FLAG_OVERLAPPED";
  EXPECT_FALSE(call.templateFile);
}

}  // namespace
}  // namespace brisko
