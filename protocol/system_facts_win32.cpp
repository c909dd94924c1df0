// The Windows side of the diagnostics report's port facts: the name the tool
// opens, and the adapter as SetupAPI names it (friendly name, hardware id,
// driver provider and version), read by the adapter identity.
#include <string>

#include "link/adapter_identity.h"
#include "link/port_names.h"
#include "protocol/diagnostics_report.h"

namespace brisko {

namespace {

class WindowsSystemFacts : public SystemFacts {
 public:
  PortFacts ForPort(int portNumber) override {
    PortFacts facts;
    facts.entry = DevicePathForPort(portNumber);
    facts.adapter = ReadAdapterInfo(portNumber);
    return facts;
  }
  std::vector<std::string> GrabbingServices() override { return {}; }
};

}  // namespace

std::unique_ptr<SystemFacts> MakeSystemFacts() { return std::make_unique<WindowsSystemFacts>(); }

}  // namespace brisko
