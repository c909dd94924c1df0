// Serial ports for tests: a SimulatedPortSystem opens SimulatedDevices by
// number with the same exclusivity as a real port, and each device records
// what the link wrote (with the tick of each write), hands out the bytes a
// test fed it, and fails reads or writes on request. A wait with nothing to
// read passes its whole time on the device's clock at once. A device is
// safe to use from the worker thread and the test's thread at once.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/link_clock.h"
#include "link/serial_port.h"

namespace brisko {

struct SimulatedWrite {
  std::string bytes;
  std::uint32_t tick;
};

class SimulatedDevice {
 public:
  explicit SimulatedDevice(LinkClock& clock) : clock_(clock) {}

  // The far end sends these bytes.
  void Feed(const std::string& bytes);
  // Makes every following read (or write) fail until switched off again.
  void FailReads(bool fail);
  void FailWrites(bool fail);
  // Pulls the adapter out: every read answers Lost and every write fails
  // until it is plugged in again (a later open then works).
  void Unplug(bool unplugged);
  // Runs on the reading thread after each byte handed out, before the read
  // returns it to the link (tests use it to change the link's state mid-read).
  void OnByteRead(std::function<void(unsigned char)> hook);
  // Runs on the writing thread after each successful write (tests use it to
  // answer a command, as the logger would).
  void OnWrite(std::function<void(const std::string&)> hook);

  std::vector<SimulatedWrite> Writes() const;
  // Everything written, concatenated.
  std::string WrittenBytes() const;
  std::size_t UnreadByteCount() const;
  int clearCount() const { return Locked(clearCount_); }
  int purgeCount() const { return Locked(purgeCount_); }
  int failedReadCount() const { return Locked(failedReadCount_); }
  // Waits that found nothing and passed their whole time.
  int emptyWaitCount() const { return Locked(emptyWaitCount_); }
  int openCount() const { return Locked(openCount_); }
  bool isOpen() const { return Locked(open_); }

 private:
  friend class SimulatedPortSystem;
  friend class SimulatedPortHandle;
  template <typename Field>
  Field Locked(const Field& field) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return field;
  }
  bool TryOpen();
  void Close();
  bool WaitReadable(std::uint32_t timeoutMs);
  ReadOutcome ReadSome(unsigned char* buffer, std::size_t size, std::size_t& count);
  bool Write(const std::string& bytes);
  void ClearError();
  void Purge();
  std::string LostReason() const;

  LinkClock& clock_;
  mutable std::mutex mutex_;
  std::deque<unsigned char> incoming_;
  std::vector<SimulatedWrite> writes_;
  std::function<void(unsigned char)> onByteRead_;
  std::function<void(const std::string&)> onWrite_;
  bool failReads_ = false;
  bool failWrites_ = false;
  bool unplugged_ = false;
  bool open_ = false;
  int openCount_ = 0;
  int clearCount_ = 0;
  int purgeCount_ = 0;
  int failedReadCount_ = 0;
  int emptyWaitCount_ = 0;
};

// Safe to use from a probing thread, the user-interface thread and the test's
// thread at once.
class SimulatedPortSystem final : public PortSystem {
 public:
  // Port n is present; writes are stamped with clock's tick.
  SimulatedDevice& AddDevice(int portNumber, LinkClock& clock);
  // Port n leaves the system (an open handle keeps working on its own).
  void RemoveDevice(int portNumber);
  // Opening port n fails with this reason (for instance PermissionDenied).
  void Refuse(int portNumber, PortErrorKind kind, const std::string& systemMessage, const std::string& group = "");
  // Every open or probe of port n first waits this long, in real time (a
  // Bluetooth port is slow to open).
  void DelayOpen(int portNumber, int milliseconds);
  // The system names none of its ports, as Wine does: only probes find them.
  void HideNames(bool hide);
  // The adapter behind port n now tells this identity, or all of this.
  void SetAdapter(int portNumber, const std::string& identity);
  void SetAdapter(int portNumber, const AdapterInfo& adapter);
  SimulatedDevice* Device(int portNumber);
  // Probes of port n so far.
  int ProbeCount(int portNumber) const;

  std::unique_ptr<SerialPort> Open(int portNumber, PortOpenError& error) override;
  // Opens and closes again; counted as an open of the device.
  bool Probe(int portNumber) override;
  // The devices not unplugged and the refusing ports.
  PortPresence PresentPorts() override;
  AdapterInfo Adapter(int portNumber) override;

 private:
  void Delay(int portNumber) const;

  mutable std::mutex mutex_;
  std::map<int, std::shared_ptr<SimulatedDevice>> devices_;
  std::map<int, PortOpenError> refusals_;
  std::map<int, int> delaysMs_;
  std::map<int, int> probes_;
  std::map<int, AdapterInfo> adapters_;
  bool hideNames_ = false;
};

}  // namespace brisko
