// The Windows side of the diagnostics report's port facts: the name the tool
// opens. The adapter's SetupAPI names (friendly name, hardware id, driver)
// belong to the adapter identity and join here with it.
#include "link/port_names.h"
#include "protocol/diagnostics_report.h"

namespace brisko {

namespace {

class WindowsSystemFacts : public SystemFacts {
 public:
  PortFacts ForPort(int portNumber) override {
    PortFacts facts;
    facts.entry = DevicePathForPort(portNumber);
    return facts;
  }
  std::vector<std::string> GrabbingServices() override { return {}; }
};

}  // namespace

std::unique_ptr<SystemFacts> MakeSystemFacts() { return std::make_unique<WindowsSystemFacts>(); }

}  // namespace brisko
