// The port layer: one small interface over a serial port that the rest of the
// link uses, and the system that opens ports by number. An open port is used
// by one thread at a time: the link worker while it runs, the user-interface
// thread before it starts and after it has stopped (Wake aside). A failed open keeps the
// system's reason so that the status field can say it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/adapter_identity.h"

namespace brisko {

// Why an open failed, in the classes a user can act on.
enum class PortErrorKind { None, NotFound, Busy, PermissionDenied, Other };

struct PortOpenError {
  PortErrorKind kind = PortErrorKind::None;
  std::string devicePath;     // what was opened ("" when the number maps to nothing)
  std::string systemMessage;  // the operating system's own words
  std::string deviceGroup;    // for PermissionDenied: the group that owns the device, if known
};

// Bytes: count bytes were read. Nothing: none had arrived. Failed: a read
// error that the link clears and purges before going on. Lost: the device
// itself is gone (a USB adapter pulled out), and every later call would fail
// the same way.
enum class ReadOutcome { Bytes, Nothing, Failed, Lost };

// An open port, configured for the logger: 57600 baud, 8N1, no flow control,
// DTR and RTS off, writes without time-out. Destroying it closes the port.
class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Blocks until bytes have arrived, the device reports an error or hang-up,
  // or timeoutMs has passed; returns at once when bytes are already waiting.
  // True when a read has something to report. A port may fetch the bytes
  // here already and hand them out with the next ReadSome.
  virtual bool WaitReadable(std::uint32_t timeoutMs) = 0;
  // Reads up to size bytes of what has arrived, without waiting; count says
  // how many (0 unless the outcome is Bytes).
  virtual ReadOutcome ReadSome(unsigned char* buffer, std::size_t size, std::size_t& count) = 0;
  // Writes the whole text; false when the system refused it.
  virtual bool Write(const std::string& bytes) = 0;
  // Clears the port's error state after a failed read or write.
  virtual void ClearError() = 0;
  // Throws away what is pending in both directions.
  virtual void Purge() = 0;
  // After a read answered Lost: why, in the system's own words.
  virtual std::string LostReason() const = 0;
  // True when Wake ends a WaitReadable at once, so that the worker need not
  // wake on its own to see new commands or a stop request.
  virtual bool Wakes() const { return false; }
  // Ends the current or next WaitReadable early. The one call that another
  // thread (the owner) may make while the worker uses the port.
  virtual void Wake() {}
};

// The ports the system names now, found without opening any device.
struct PortPresence {
  std::vector<int> numbers;  // ascending
  // False when the system names fewer ports than it has (Wine names COM1
  // alone): a port missing here may still exist, and only a probe by name
  // finds it.
  bool complete = true;
  // Beside each number, when the system tells: a value that changes whenever
  // the device behind the name does (unplugged and plugged in again between
  // two looks, or given its group by udev). Empty when it does not tell.
  std::vector<std::uint64_t> stamps;
};

// Opens ports by number, exclusively: a port that is open here or in another
// program fails to open as Busy. Open runs on the user-interface thread;
// Probe and PresentPorts may also run on a probing thread meanwhile.
class PortSystem {
 public:
  virtual ~PortSystem() = default;
  // The open, configured port, or nullptr with the reason in error.
  virtual std::unique_ptr<SerialPort> Open(int portNumber, PortOpenError& error) = 0;
  // True when port n could be opened now. Opens the device and closes it again
  // at once without changing any of its settings: the port may be another
  // program's GPS mouse or modem.
  virtual bool Probe(int portNumber) = 0;
  // The ports that exist now, by name only: cheap enough for every second.
  virtual PortPresence PresentPorts() = 0;
  // Which adapter is behind port n now, without opening it; an empty identity
  // when the system does not tell.
  virtual AdapterInfo Adapter(int /*portNumber*/) { return AdapterInfo{}; }
};

// The serial ports of the machine this runs on.
std::unique_ptr<PortSystem> MakePlatformPortSystem();

}  // namespace brisko
