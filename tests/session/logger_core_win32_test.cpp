// The core on the Windows port layer with the serial calls answered by fakes:
// how each refusal of the system reads in the status field, that the open
// asks for the port exclusively, and how each way a driver answers for an
// unplugged adapter ends. Wine opens a held device a second time and fails in
// one way only, so these drivers exist only here.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/link_clock.h"
#include "link/port_win32.h"
#include "link/simulated_clock.h"
#include "tests/support/fake_dialog.h"
#include "tests/support/link_test_support.h"
#include "tests/support/port_look.h"
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

Win32SerialCalls Refusing() {
  Win32SerialCalls refusing = SystemSerialCalls();
  refusing.createFile = &RefusingCreateFile;
  return refusing;
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
  auto ports = MakeWin32PortSystem(Refusing());
  auto clock = MakeSystemClock();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    refusal = c.error;
    calls.clear();
    testing::FakeDialog dialog;
    RecordingPoster poster;
    LoggerCore core(dialog, poster, Platform{*ports, *clock, dialog.wallClock()});
    EXPECT_EQ(ListAfterLook(core, *ports, poster), std::vector<int>{});
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
  auto ports = MakeWin32PortSystem(Refusing());
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

// How one driver answers once its adapter is out: ReadFile fails with
// readError for failingReads calls, then reads nothing; WriteFile fails with
// writeError (0: writes go through); ClearCommError and GetCommState fail or
// not.
struct DriverRow {
  const char* name;
  DWORD readError;
  int failingReads;
  DWORD writeError;
  bool clearFails;
  bool stateFails;
  bool lost;
  DWORD reason;     // the error whose text the user sees
  int failedCalls;  // failed reads and writes in all
};

constexpr int kEveryRead = INT_MAX;

// The driver of COM3 behind every serial call. Shared with the worker thread;
// time is the simulated clock's, which a read with nothing to hand out
// advances by its whole time-out.
struct ScriptedDriver {
  const DriverRow* row = nullptr;
  SimulatedClock* clock = nullptr;
  std::atomic<bool> out{false};
  // While set, the worker's reads, writes and error checks wait: the adapter
  // goes out before the worker has made any call on the opened port, whatever
  // the threads' timing, so its first call meets the driver's failure.
  std::atomic<bool> held{false};
  std::atomic<int> failingReadsLeft{0};
  std::atomic<DWORD> readWaitMs{0};
  std::atomic<int> opens{0};
  std::atomic<int> closes{0};
  std::atomic<int> stateWrites{0};
  std::atomic<int> badTimeouts{0};
  std::atomic<int> calls{0};
  std::atomic<int> failures{0};
};

ScriptedDriver driver;
int deviceObject;
HANDLE const kDevice = &deviceObject;

void WaitWhileHeld() {
  while (driver.held) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

BOOL Fail(DWORD error) {
  ++driver.failures;
  SetLastError(error);
  return FALSE;
}

HANDLE WINAPI DriverCreateFile(LPCSTR name, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
  if (driver.out || std::string(name) != "//./COM3") {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  ++driver.opens;
  return kDevice;
}
BOOL WINAPI DriverCloseHandle(HANDLE handle) {
  if (handle == kDevice) ++driver.closes;
  return TRUE;
}
BOOL WINAPI DriverSetupComm(HANDLE, DWORD, DWORD) { return TRUE; }
BOOL WINAPI DriverGetCommState(HANDLE, LPDCB dcb) {
  ++driver.calls;
  if (driver.out && driver.row->stateFails) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *dcb = DCB{};
  dcb->DCBlength = sizeof(DCB);
  return TRUE;
}
BOOL WINAPI DriverSetCommState(HANDLE, LPDCB) {
  ++driver.stateWrites;
  return TRUE;
}
// Reads return with the first byte or after ReadTotalTimeoutConstant ms,
// which must be 1 or more and well below 0x80000000.
BOOL WINAPI DriverSetCommTimeouts(HANDLE, LPCOMMTIMEOUTS timeouts) {
  const DWORD wait = timeouts->ReadTotalTimeoutConstant;
  if (timeouts->ReadIntervalTimeout != MAXDWORD || timeouts->ReadTotalTimeoutMultiplier != MAXDWORD || wait < 1 ||
      wait > 60000 || timeouts->WriteTotalTimeoutMultiplier != 0 || timeouts->WriteTotalTimeoutConstant != 0) {
    ++driver.badTimeouts;
  }
  driver.readWaitMs = wait;
  return TRUE;
}
BOOL WINAPI DriverReadFile(HANDLE, LPVOID, DWORD, LPDWORD read, LPOVERLAPPED) {
  WaitWhileHeld();
  ++driver.calls;
  *read = 0;
  if (driver.out && driver.failingReadsLeft > 0) {
    --driver.failingReadsLeft;
    return Fail(driver.row->readError);
  }
  driver.clock->Sleep(driver.readWaitMs);
  return TRUE;
}
BOOL WINAPI DriverWriteFile(HANDLE, LPCVOID, DWORD size, LPDWORD written, LPOVERLAPPED) {
  WaitWhileHeld();
  ++driver.calls;
  if (driver.out && driver.row->writeError != 0) return Fail(driver.row->writeError);
  *written = size;
  return TRUE;
}
BOOL WINAPI DriverClearCommError(HANDLE, LPDWORD errors, LPCOMSTAT status) {
  WaitWhileHeld();
  ++driver.calls;
  if (driver.out && driver.row->clearFails) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *errors = 0;
  *status = COMSTAT{};
  return TRUE;
}
BOOL WINAPI DriverPurgeComm(HANDLE, DWORD) { return TRUE; }
DWORD WINAPI DriverGetTickCount() { return driver.clock->Tick(); }

std::string SystemText(DWORD error) {
  char text[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                 nullptr);
  const std::string message = text;
  return message.substr(0, std::min<std::size_t>(12, message.find_first_of(".\r\n")));
}

const DriverRow kDrivers[] = {
    {"FTDI: 995, then ClearCommError fails", ERROR_OPERATION_ABORTED, kEveryRead, ERROR_OPERATION_ABORTED, true, true,
     true, ERROR_OPERATION_ABORTED, 1},
    {"PL2303: 22", ERROR_BAD_COMMAND, kEveryRead, ERROR_BAD_COMMAND, false, false, true, ERROR_BAD_COMMAND, 1},
    {"CH340: 31", ERROR_GEN_FAILURE, kEveryRead, ERROR_GEN_FAILURE, false, false, true, ERROR_GEN_FAILURE, 1},
    {"Bluetooth: 1617", ERROR_DEVICE_REMOVED, kEveryRead, ERROR_DEVICE_REMOVED, false, false, true,
     ERROR_DEVICE_REMOVED, 1},
    {"some drivers: 2", ERROR_FILE_NOT_FOUND, kEveryRead, ERROR_FILE_NOT_FOUND, false, false, true,
     ERROR_FILE_NOT_FOUND, 1},
    {"some drivers: 6", ERROR_INVALID_HANDLE, kEveryRead, ERROR_INVALID_HANDLE, false, false, true,
     ERROR_INVALID_HANDLE, 1},
    {"Wine: silence, 21 on write", 0, 0, ERROR_NOT_READY, false, false, true, ERROR_NOT_READY, 1},
    {"CDC: silence, then the health check fails", 0, 0, 0, true, true, true, ERROR_INVALID_HANDLE, 0},
    {"unknown error on three reads in a row", ERROR_DEVICE_NOT_CONNECTED, kEveryRead, 0, false, false, true,
     ERROR_DEVICE_NOT_CONNECTED, 3},
    {"995 from a purge alone", ERROR_OPERATION_ABORTED, 1, 0, false, false, false, 0, 1},
    // u-blox's virtual port refuses ClearCommError while it works on.
    {"silence, ClearCommError refused, GetCommState answers", 0, 0, 0, true, false, false, 0, 0},
    {"a quiet logger that is still there", 0, 0, 0, false, false, false, 0, 0},
};

// Each driver's way of failing ends in "COM3 lost" within 2 s of the
// adapter going out, with the handle closed and the worker stopped, and the
// port comes back by itself once a look has found it gone and then back; a
// failure that is not a loss leaves the port open, and choosing the port
// again reopens it.
TEST(LoggerCoreWin32Test, EveryDriversUnpluggedAdapterIsLostAndCanBeChosenAgain) {
  Win32SerialCalls scripted{&DriverCreateFile,     &DriverCloseHandle,     &DriverSetupComm, &DriverGetCommState,
                         &DriverSetCommState,   &DriverSetCommTimeouts,
                         &DriverReadFile,       &DriverWriteFile,       &DriverClearCommError,
                         &DriverPurgeComm,      &DriverGetTickCount};
  auto ports = MakeWin32PortSystem(scripted);
  for (const DriverRow& row : kDrivers) {
    SCOPED_TRACE(row.name);
    SimulatedClock clock(1000, std::chrono::microseconds(50));
    driver.row = &row;
    driver.clock = &clock;
    driver.out = false;
    driver.opens = driver.closes = driver.stateWrites = driver.badTimeouts = driver.failures = 0;
    testing::FakeDialog dialog;
    RecordingPoster poster;
    LoggerCore core(dialog, poster, Platform{*ports, clock, dialog.wallClock()});
    driver.held = true;
    core.OpenPort(3);
    if (core.record().portStatus != "COM3 Open Ok") driver.held = false;
    ASSERT_EQ(core.record().portStatus, "COM3 Open Ok");
    // One look of the dialog's timer, until the lost port's probe is back.
    const auto look = [&] {
      core.FollowPorts(false);
      bool probed = false;
      return WaitUntil([&] {
        for (const auto& [number, openable] : poster.TakeProbed()) {
          core.OnPortProbed(number, openable);
          probed = probed || number == 3;
        }
        return probed;
      });
    };

    // Out while the identification is still queued.
    const std::uint32_t outAt = clock.Tick();
    driver.failingReadsLeft = row.failingReads;
    driver.out = true;
    driver.held = false;
    if (row.lost) {
      ASSERT_TRUE(WaitUntil([&] { return !poster.lostRuns().empty(); })) << "never lost";
      EXPECT_LE(clock.Tick() - outAt, 2000u);
      const int callsAtTheEnd = driver.calls;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      EXPECT_EQ(driver.calls, callsAtTheEnd) << "the worker goes on";
      core.OnPortLost(poster.lostRuns().front());
      EXPECT_EQ(core.record().portStatus, "COM3 lost");
      const std::string text = SystemText(row.reason);
      ASSERT_FALSE(text.empty());
      EXPECT_NE(core.portStatusDetail().find(text), std::string::npos) << core.portStatusDetail();
    } else {
      ASSERT_TRUE(WaitUntil([&] { return clock.Tick() - outAt > 3000; }));
      EXPECT_TRUE(poster.lostRuns().empty());
      EXPECT_EQ(core.record().portStatus, "COM3 Open Ok");
      core.ClosePort();
    }
    EXPECT_FALSE(core.IsPortOpen());
    EXPECT_EQ(driver.closes, 1);
    EXPECT_EQ(driver.failures, row.failedCalls);

    if (row.lost) {
      ASSERT_TRUE(look()) << "found gone";
      EXPECT_EQ(core.record().portStatus, "COM3 lost");
      driver.out = false;
      ASSERT_TRUE(look()) << "found back";
    } else {
      driver.out = false;
      core.record().portNumber = "3";
      core.OnPortSelChange();
    }
    EXPECT_EQ(core.record().portStatus, "COM3 Open Ok");
    core.ClosePort();
    EXPECT_EQ(driver.opens, row.lost ? 3 : 2) << "a probe too when it came back";
    EXPECT_EQ(driver.closes, driver.opens);
    EXPECT_EQ(driver.stateWrites, 2) << "the line settings are written at the open alone";
    EXPECT_EQ(driver.badTimeouts, 0);
  }
}

}  // namespace
}  // namespace brisko
