// Serial ports on Windows: port n is "//./COM<n>", opened with share mode 0 so
// that a port another program holds fails to open. Line settings and
// time-outs are applied as the logger needs them; the driver's answers are
// not examined, a port that refuses a setting is used as it is.
#include <windows.h>

#include "link/port_win32.h"

#include "link/port_names.h"

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
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 && text != nullptr ? std::string(text, length) : "error " + std::to_string(error);
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

void ApplyLineSettings(HANDLE handle) {
  SetupComm(handle, kQueueBytes, kQueueBytes);

  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  GetCommState(handle, &dcb);
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
  SetCommState(handle, &dcb);

  COMMTIMEOUTS timeouts{};
  GetCommTimeouts(handle, &timeouts);
  timeouts.ReadIntervalTimeout = MAXDWORD;  // with the two below at 0: return at once
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  timeouts.WriteTotalTimeoutMultiplier = 0;  // writes without time-out
  timeouts.WriteTotalTimeoutConstant = 0;
  SetCommTimeouts(handle, &timeouts);
}

class Win32SerialPort final : public SerialPort {
 public:
  explicit Win32SerialPort(HANDLE handle) : handle_(handle) {}
  ~Win32SerialPort() override { CloseHandle(handle_); }
  Win32SerialPort(const Win32SerialPort&) = delete;
  Win32SerialPort& operator=(const Win32SerialPort&) = delete;

  ReadOutcome ReadByte(unsigned char& byte) override {
    if (!lostReason_.empty()) return ReadOutcome::Lost;
    DWORD count = 0;
    if (!ReadFile(handle_, &byte, 1, &count, nullptr)) {
      return NoteIfGone(GetLastError()) ? ReadOutcome::Lost : ReadOutcome::Failed;
    }
    return count == 1 ? ReadOutcome::Byte : ReadOutcome::Nothing;
  }

  bool Write(const std::string& bytes) override {
    DWORD count = 0;
    if (WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) != 0) return true;
    NoteIfGone(GetLastError());  // the next read reports it
    return false;
  }

  void ClearError() override {
    DWORD errors = 0;
    COMSTAT status{};
    ClearCommError(handle_, &errors, &status);
  }

  void Purge() override { PurgeComm(handle_, kPurgeEverything); }

  std::string LostReason() const override { return lostReason_; }

 private:
  // What the serial driver answers on every call once its USB adapter has
  // been pulled out.
  bool NoteIfGone(DWORD error) {
    if (error != ERROR_ACCESS_DENIED && error != ERROR_BAD_COMMAND && error != ERROR_DEVICE_REMOVED) return false;
    lostReason_ = SystemMessage(error);
    return true;
  }

  HANDLE handle_;
  std::string lostReason_;  // empty while the device is there
};

class Win32PortSystem final : public PortSystem {
 public:
  explicit Win32PortSystem(CreateFileFunction createFile) : createFile_(createFile) {}

  PortPresence PresentPorts() override { return NamedWin32Ports(); }

  // The open alone, closed again at once: the port's settings stay as they are.
  bool Probe(int portNumber) override {
    HANDLE handle = createFile_(DevicePathForPort(portNumber).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
  }

  std::unique_ptr<SerialPort> Open(int portNumber, PortOpenError& error) override {
    error = PortOpenError{};
    error.devicePath = DevicePathForPort(portNumber);
    HANDLE handle = createFile_(error.devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD code = GetLastError();
      error.kind = KindOfError(code);
      error.systemMessage = SystemMessage(code);
      return nullptr;
    }
    ApplyLineSettings(handle);
    return std::make_unique<Win32SerialPort>(handle);
  }

 private:
  CreateFileFunction createFile_;
};

}  // namespace

std::unique_ptr<PortSystem> MakeWin32PortSystem(CreateFileFunction createFile) {
  return std::make_unique<Win32PortSystem>(createFile);
}

std::unique_ptr<PortSystem> MakePlatformPortSystem() { return MakeWin32PortSystem(&CreateFileA); }

}  // namespace brisko
