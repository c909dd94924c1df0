#include "tests/fault/fault_injecting_ports.h"

#include <utility>

namespace brisko {

namespace {

class FaultInjectingPort final : public SerialPort {
 public:
  FaultInjectingPort(std::unique_ptr<SerialPort> inner, FaultSwitches& switches, PortTrace& trace)
      : inner_(std::move(inner)), switches_(switches), trace_(trace) {}

  // The wait ends the worker's pass.
  bool WaitReadable(std::uint32_t timeoutMs) override {
    trace_.Record(PortEvent::PassEnd);
    return inner_->WaitReadable(timeoutMs);
  }

  ReadOutcome ReadSome(unsigned char* buffer, std::size_t size, std::size_t& count) override {
    count = 0;
    const ReadOutcome outcome =
        switches_.failReads.load() ? ReadOutcome::Failed : inner_->ReadSome(buffer, size, count);
    switch (outcome) {
      case ReadOutcome::Bytes: trace_.Record(PortEvent::ReadBytes); break;
      case ReadOutcome::Nothing: trace_.Record(PortEvent::ReadNothing); break;
      case ReadOutcome::Failed: trace_.Record(PortEvent::ReadFailed); break;
      case ReadOutcome::Lost: trace_.Record(PortEvent::ReadLost); break;
    }
    return outcome;
  }

  bool Write(const std::string& bytes) override {
    const auto startedAt = std::chrono::steady_clock::now();
    const bool ok = !switches_.failWrites.load() && inner_->Write(bytes);
    trace_.RecordWrite(bytes, TracingClock::LastTickOnThisThread(), ok, startedAt);
    return ok;
  }

  void ClearError() override {
    trace_.Record(PortEvent::ClearError);
    inner_->ClearError();
  }

  void Purge() override {
    trace_.Record(PortEvent::Purge);
    inner_->Purge();
  }

  std::string LostReason() const override { return inner_->LostReason(); }

 private:
  std::unique_ptr<SerialPort> inner_;
  FaultSwitches& switches_;
  PortTrace& trace_;
};

}  // namespace

std::unique_ptr<SerialPort> FaultInjectingPorts::Open(int portNumber, PortOpenError& error) {
  std::unique_ptr<SerialPort> port = inner_.Open(portNumber, error);
  if (port == nullptr) return nullptr;
  return std::make_unique<FaultInjectingPort>(std::move(port), switches_, trace_);
}

}  // namespace brisko
