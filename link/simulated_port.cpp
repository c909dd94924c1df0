#include "link/simulated_port.h"

#include "link/port_names.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <set>
#include <thread>
#include <utility>

namespace brisko {

class SimulatedPortHandle final : public SerialPort {
 public:
  explicit SimulatedPortHandle(std::shared_ptr<SimulatedDevice> device) : device_(std::move(device)) {}
  ~SimulatedPortHandle() override { device_->Close(); }
  SimulatedPortHandle(const SimulatedPortHandle&) = delete;
  SimulatedPortHandle& operator=(const SimulatedPortHandle&) = delete;

  bool WaitReadable(std::uint32_t timeoutMs) override { return device_->WaitReadable(timeoutMs); }
  ReadOutcome ReadSome(unsigned char* buffer, std::size_t size, std::size_t& count) override {
    return device_->ReadSome(buffer, size, count);
  }
  bool Write(const std::string& bytes) override { return device_->Write(bytes); }
  void ClearError() override { device_->ClearError(); }
  void Purge() override { device_->Purge(); }
  std::string LostReason() const override { return device_->LostReason(); }

 private:
  std::shared_ptr<SimulatedDevice> device_;
};

void SimulatedDevice::Feed(const std::string& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
}

void SimulatedDevice::FailReads(bool fail) {
  std::lock_guard<std::mutex> lock(mutex_);
  failReads_ = fail;
}

void SimulatedDevice::FailWrites(bool fail) {
  std::lock_guard<std::mutex> lock(mutex_);
  failWrites_ = fail;
}

void SimulatedDevice::Unplug(bool unplugged) {
  std::lock_guard<std::mutex> lock(mutex_);
  unplugged_ = unplugged;
}

std::string SimulatedDevice::LostReason() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return unplugged_ ? "No such device" : std::string();
}

void SimulatedDevice::OnByteRead(std::function<void(unsigned char)> hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  onByteRead_ = std::move(hook);
}

void SimulatedDevice::OnWrite(std::function<void(const std::string&)> hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  onWrite_ = std::move(hook);
}

std::vector<SimulatedWrite> SimulatedDevice::Writes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return writes_;
}

std::string SimulatedDevice::WrittenBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string all;
  for (const auto& write : writes_) all += write.bytes;
  return all;
}

std::size_t SimulatedDevice::UnreadByteCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return incoming_.size();
}

bool SimulatedDevice::TryOpen() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (open_) return false;
  open_ = true;
  ++openCount_;
  return true;
}

void SimulatedDevice::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  open_ = false;
}

bool SimulatedDevice::WaitReadable(std::uint32_t timeoutMs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!incoming_.empty() || unplugged_ || failReads_) return true;
    ++emptyWaitCount_;
  }
  clock_.Sleep(timeoutMs);
  std::lock_guard<std::mutex> lock(mutex_);
  return !incoming_.empty() || unplugged_ || failReads_;
}

ReadOutcome SimulatedDevice::ReadSome(unsigned char* buffer, std::size_t size, std::size_t& count) {
  count = 0;
  std::function<void(unsigned char)> hook;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (unplugged_) return ReadOutcome::Lost;
    if (failReads_) {
      ++failedReadCount_;
      return ReadOutcome::Failed;
    }
    if (incoming_.empty()) return ReadOutcome::Nothing;
    count = std::min(size, incoming_.size());
    std::copy_n(incoming_.begin(), count, buffer);
    incoming_.erase(incoming_.begin(), incoming_.begin() + static_cast<std::ptrdiff_t>(count));
    hook = onByteRead_;
  }
  if (hook) {
    for (std::size_t i = 0; i < count; ++i) hook(buffer[i]);
  }
  return ReadOutcome::Bytes;
}

bool SimulatedDevice::Write(const std::string& bytes) {
  const std::uint32_t tick = clock_.Tick();
  std::function<void(const std::string&)> hook;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failWrites_ || unplugged_) return false;
    writes_.push_back({bytes, tick});
    hook = onWrite_;
  }
  if (hook) hook(bytes);
  return true;
}

void SimulatedDevice::ClearError() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++clearCount_;
}

void SimulatedDevice::Purge() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++purgeCount_;
  incoming_.clear();
}

SimulatedDevice& SimulatedPortSystem::AddDevice(int portNumber, LinkClock& clock) {
  const std::lock_guard<std::mutex> lock(mutex_);
  auto& device = devices_[portNumber];
  device = std::make_shared<SimulatedDevice>(clock);
  return *device;
}

void SimulatedPortSystem::RemoveDevice(int portNumber) {
  const std::lock_guard<std::mutex> lock(mutex_);
  devices_.erase(portNumber);
  refusals_.erase(portNumber);
}

void SimulatedPortSystem::Refuse(int portNumber, PortErrorKind kind, const std::string& systemMessage,
                                 const std::string& group) {
  const std::lock_guard<std::mutex> lock(mutex_);
  PortOpenError& refusal = refusals_[portNumber];
  refusal.kind = kind;
  refusal.devicePath = "sim:COM" + std::to_string(portNumber);
  refusal.systemMessage = systemMessage;
  refusal.deviceGroup = group;
}

void SimulatedPortSystem::DelayOpen(int portNumber, int milliseconds) {
  const std::lock_guard<std::mutex> lock(mutex_);
  delaysMs_[portNumber] = milliseconds;
}

void SimulatedPortSystem::HideNames(bool hide) {
  const std::lock_guard<std::mutex> lock(mutex_);
  hideNames_ = hide;
}

SimulatedDevice* SimulatedPortSystem::Device(int portNumber) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = devices_.find(portNumber);
  return found == devices_.end() ? nullptr : found->second.get();
}

int SimulatedPortSystem::ProbeCount(int portNumber) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = probes_.find(portNumber);
  return found == probes_.end() ? 0 : found->second;
}

void SimulatedPortSystem::Delay(int portNumber) const {
  int milliseconds = 0;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = delaysMs_.find(portNumber);
    if (found != delaysMs_.end()) milliseconds = found->second;
  }
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::unique_ptr<SerialPort> SimulatedPortSystem::Open(int portNumber, PortOpenError& error) {
  Delay(portNumber);
  const std::lock_guard<std::mutex> lock(mutex_);
  error = PortOpenError{};
  error.devicePath = "sim:COM" + std::to_string(portNumber);
  if (const auto refused = refusals_.find(portNumber); refused != refusals_.end()) {
    error = refused->second;
    return nullptr;
  }
  const auto found = devices_.find(portNumber);
  if (found == devices_.end() || found->second->Locked(found->second->unplugged_)) {
    error.kind = PortErrorKind::NotFound;
    error.systemMessage = "No such device";
    return nullptr;
  }
  if (!found->second->TryOpen()) {
    error.kind = PortErrorKind::Busy;
    error.systemMessage = "Device or resource busy";
    return nullptr;
  }
  return std::make_unique<SimulatedPortHandle>(found->second);
}

bool SimulatedPortSystem::Probe(int portNumber) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++probes_[portNumber];
  }
  PortOpenError ignored;
  return Open(portNumber, ignored) != nullptr;
}

void SimulatedPortSystem::SetAdapter(int portNumber, const std::string& identity) {
  AdapterInfo adapter;
  adapter.identity = identity;
  SetAdapter(portNumber, adapter);
}

void SimulatedPortSystem::SetAdapter(int portNumber, const AdapterInfo& adapter) {
  const std::lock_guard<std::mutex> lock(mutex_);
  adapters_[portNumber] = adapter;
}

AdapterInfo SimulatedPortSystem::Adapter(int portNumber) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = adapters_.find(portNumber);
  return found == adapters_.end() ? AdapterInfo{} : found->second;
}

PortPresence SimulatedPortSystem::PresentPorts() {
  const std::lock_guard<std::mutex> lock(mutex_);
  PortPresence presence;
  presence.complete = !hideNames_;
  if (hideNames_) return presence;
  std::set<int> numbers;
  for (const auto& [number, device] : devices_) {
    // As the real systems, it names no number past the listed range.
    if (!device->Locked(device->unplugged_) && number <= kLastListedPort) numbers.insert(number);
  }
  for (const auto& refusal : refusals_) numbers.insert(refusal.first);
  presence.numbers.assign(numbers.begin(), numbers.end());
  return presence;
}

}  // namespace brisko
