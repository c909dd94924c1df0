// Serial ports on Windows: port n is "//./COM<n>", opened with share mode 0 so
// that a port another program holds fails to open. Line settings and
// time-outs are applied as the logger needs them; the driver's answers are
// not examined, a port that refuses a setting is used as it is. Synchronous
// I/O: the worker waits inside ReadFile. A device is lost when a failed call
// or a health check after a silent second says so, whatever the driver.
#include <windows.h>

#include "link/port_win32.h"

#include <algorithm>
#include <cstring>

#include "link/port_names.h"
#include "link/port_presence_win32.h"
#include "link/wide_text_win32.h"

namespace brisko {

namespace {

constexpr DWORD kQueueBytes = 1024;
constexpr DWORD kPurgeEverything = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;  // 0x0F

PortErrorKind KindOfError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
      return PortErrorKind::NotFound;
    // A COM port that another program holds answers "access denied".
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
      return PortErrorKind::Busy;
    default:
      return PortErrorKind::Other;
  }
}

std::string SystemMessage(DWORD error) {
  // Wide, then UTF-8: the message in the user's language whatever the ANSI
  // code page can write.
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = length > 0 && text != nullptr ? WideToUtf8(std::wstring_view(text, length))
                                                      : "error " + std::to_string(error);
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

// Longest read wait the driver is asked for: some adapters' drivers treat a
// ReadTotalTimeoutConstant of 0x80000000 or more as 0.
constexpr DWORD kLongestReadWaitMs = 60000;
// Until the worker's first wait names its own.
constexpr DWORD kReadWaitAtOpenMs = 1;

// Reads wait for the first byte for at most ReadTotalTimeoutConstant ms and
// return as soon as one has arrived, with what the driver holds: the worker
// sleeps in ReadFile instead of polling, and each call takes a whole burst.
COMMTIMEOUTS TimeoutsWaitingFor(DWORD waitMs) {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
  timeouts.ReadTotalTimeoutConstant = waitMs;
  timeouts.WriteTotalTimeoutMultiplier = 0;  // with the next at 0: writes without time-out
  timeouts.WriteTotalTimeoutConstant = 0;
  return timeouts;
}

void ApplyLineSettings(const Win32SerialCalls& calls, HANDLE handle, DWORD readWaitMs) {
  calls.setupComm(handle, kQueueBytes, kQueueBytes);

  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  calls.getCommState(handle, &dcb);
  dcb.BaudRate = CBR_57600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  dcb.fAbortOnError = FALSE;
  calls.setCommState(handle, &dcb);

  // Every field of COMMTIMEOUTS is set, so the driver's old ones need no read.
  COMMTIMEOUTS timeouts = TimeoutsWaitingFor(readWaitMs);
  calls.setCommTimeouts(handle, &timeouts);
}

// Errors after which the device is gone whatever else the driver says:
// unplugged adapters answer with one of these on every later call.
bool GoneOutright(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:    // 2
    case ERROR_ACCESS_DENIED:     // 5
    case ERROR_INVALID_HANDLE:    // 6
    case ERROR_NOT_READY:         // 21, Wine's answer to a write
    case ERROR_BAD_COMMAND:       // 22, PL2303
    case ERROR_GEN_FAILURE:       // 31, CH340
    case ERROR_DEVICE_REMOVED:    // 1617, Bluetooth
      return true;
    default:
      // ERROR_OPERATION_ABORTED (995, FTDI) also comes from a purge: gone
      // only when ClearCommError fails as well.
      return false;
  }
}

constexpr int kFailedReadsThatAreLost = 3;
constexpr DWORD kSilenceBeforeHealthCheckMs = 1000;

class Win32SerialPort final : public SerialPort {
 public:
  Win32SerialPort(const Win32SerialCalls& calls, HANDLE handle, DWORD readWaitMs)
      : calls_(calls), handle_(handle), readWaitMs_(readWaitMs), lastSignOfLife_(calls.getTickCount()) {}
  ~Win32SerialPort() override { calls_.closeHandle(handle_); }
  Win32SerialPort(const Win32SerialPort&) = delete;
  Win32SerialPort& operator=(const Win32SerialPort&) = delete;

  // The wait is the read itself: ReadFile returns with the first bytes or
  // after the time-out. What it fetched is handed out by ReadSome.
  bool WaitReadable(std::uint32_t timeoutMs) override {
    if (!lostReason_.empty() || readFailed_ || next_ < end_) return true;
    SetReadWait(timeoutMs);
    DWORD count = 0;
    if (calls_.readFile(handle_, buffer_, sizeof buffer_, &count, nullptr) == 0) {
      NoteFailedRead(GetLastError());
      return true;
    }
    failedReads_ = 0;
    const DWORD now = calls_.getTickCount();
    if (count > 0) {
      next_ = 0;
      end_ = count;
      lastSignOfLife_ = now;
      return true;
    }
    // Some drivers answer every read of an unplugged adapter with 0 bytes
    // and no error: after a second of silence one read-only question tells.
    if (now - lastSignOfLife_ >= kSilenceBeforeHealthCheckMs) {
      lastSignOfLife_ = now;
      CheckHealth();
    }
    return !lostReason_.empty();
  }

  ReadOutcome ReadSome(unsigned char* buffer, std::size_t size, std::size_t& count) override {
    count = 0;
    if (!lostReason_.empty()) return ReadOutcome::Lost;
    if (readFailed_) {
      readFailed_ = false;
      return ReadOutcome::Failed;
    }
    if (next_ == end_) return ReadOutcome::Nothing;
    count = std::min<std::size_t>(size, end_ - next_);
    std::memcpy(buffer, buffer_ + next_, count);
    next_ += static_cast<DWORD>(count);
    return ReadOutcome::Bytes;
  }

  bool Write(const std::string& bytes) override {
    DWORD count = 0;
    if (calls_.writeFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) != 0) return true;
    const DWORD error = GetLastError();
    if (GoneOutright(error) || !ClearErrors()) NoteLost(error);  // the next read reports it
    return false;
  }

  void ClearError() override { ClearErrors(); }

  void Purge() override {
    calls_.purgeComm(handle_, kPurgeEverything);
    next_ = end_ = 0;
  }

  std::string LostReason() const override { return lostReason_; }

 private:
  bool ClearErrors() {
    DWORD errors = 0;
    COMSTAT status{};
    return calls_.clearCommError(handle_, &errors, &status) != 0;
  }

  void SetReadWait(std::uint32_t timeoutMs) {
    const DWORD waitMs = std::max<DWORD>(1, std::min<DWORD>(timeoutMs, kLongestReadWaitMs));
    if (waitMs == readWaitMs_) return;
    COMMTIMEOUTS timeouts = TimeoutsWaitingFor(waitMs);
    calls_.setCommTimeouts(handle_, &timeouts);
    readWaitMs_ = waitMs;
  }

  // A failed read is a lost device when its error says so, when the port's
  // error state cannot be read either, or when it is the third in a row.
  void NoteFailedRead(DWORD error) {
    ++failedReads_;
    const bool cleared = ClearErrors();
    if (GoneOutright(error) || !cleared || failedReads_ >= kFailedReadsThatAreLost) {
      NoteLost(error);
    } else {
      readFailed_ = true;
    }
  }

  // Read-only: GetCommState when ClearCommError is refused, never a setting.
  void CheckHealth() {
    if (ClearErrors()) return;
    const DWORD error = GetLastError();
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (calls_.getCommState(handle_, &dcb) == 0) NoteLost(error);
  }

  void NoteLost(DWORD error) {
    if (lostReason_.empty()) lostReason_ = SystemMessage(error);
  }

  Win32SerialCalls calls_;
  HANDLE handle_;
  DWORD readWaitMs_;
  DWORD lastSignOfLife_;  // the tick of the last byte or health check
  int failedReads_ = 0;   // in a row
  bool readFailed_ = false;
  unsigned char buffer_[kQueueBytes];
  DWORD next_ = 0;
  DWORD end_ = 0;
  std::string lostReason_;  // empty while the device is there
};

class Win32PortSystem final : public PortSystem {
 public:
  explicit Win32PortSystem(const Win32SerialCalls& calls) : calls_(calls) {}

  PortPresence PresentPorts() override { return NamedWin32Ports(); }
  AdapterInfo Adapter(int portNumber) override { return ReadAdapterInfo(portNumber); }

  // The open alone, closed again at once: the port's settings stay as they are.
  bool Probe(int portNumber) override {
    HANDLE handle = OpenDevice(DevicePathForPort(portNumber));
    if (handle == INVALID_HANDLE_VALUE) return false;
    calls_.closeHandle(handle);
    return true;
  }

  std::unique_ptr<SerialPort> Open(int portNumber, PortOpenError& error) override {
    error = PortOpenError{};
    error.devicePath = DevicePathForPort(portNumber);
    HANDLE handle = OpenDevice(error.devicePath);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD code = GetLastError();
      error.kind = KindOfError(code);
      error.systemMessage = SystemMessage(code);
      return nullptr;
    }
    ApplyLineSettings(calls_, handle, kReadWaitAtOpenMs);
    return std::make_unique<Win32SerialPort>(calls_, handle, kReadWaitAtOpenMs);
  }

 private:
  // Read and write access, share mode 0 (a port another program holds fails
  // to open), synchronous I/O.
  HANDLE OpenDevice(const std::string& devicePath) const {
    return calls_.createFile(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }

  Win32SerialCalls calls_;
};

}  // namespace

const Win32SerialCalls& SystemSerialCalls() {
  static const Win32SerialCalls calls{&CreateFileA,  &CloseHandle,     &SetupComm, &GetCommState,
                                      &SetCommState, &SetCommTimeouts, &ReadFile,  &WriteFile,
                                      &ClearCommError, &PurgeComm,     &GetTickCount};
  return calls;
}

std::string DevicePathForPort(int portNumber) { return "//./" + PortName(portNumber); }

std::unique_ptr<PortSystem> MakeWin32PortSystem(const Win32SerialCalls& calls) {
  return std::make_unique<Win32PortSystem>(calls);
}

std::unique_ptr<PortSystem> MakePlatformPortSystem() { return MakeWin32PortSystem(SystemSerialCalls()); }

}  // namespace brisko
