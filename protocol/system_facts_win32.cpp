// The Windows side of the diagnostics report's port facts: the name the tool
// opens, and the adapter as SetupAPI names it (friendly name, hardware id,
// driver provider and version), read by the adapter identity. The system's
// narrow texts come in the ANSI code page and go into the report as UTF-8.
#include <windows.h>

#include <string>

#include "link/adapter_identity.h"
#include "link/port_names.h"
#include "link/wide_text_win32.h"
#include "protocol/diagnostics_report.h"

namespace brisko {

namespace {

class WindowsSystemFacts : public SystemFacts {
 public:
  PortFacts ForPort(int portNumber) override {
    PortFacts facts;
    facts.entry = DevicePathForPort(portNumber);
    facts.adapter = ReadAdapterInfo(portNumber);
    AdapterInfo& a = facts.adapter;
    for (std::string* text : {&a.name, &a.manufacturer, &a.serial, &a.driver, &a.hardwareId, &a.driverProvider}) {
      *text = ReportText(*text);
    }
    return facts;
  }
  std::vector<std::string> GrabbingServices() override { return {}; }
  std::string ReportText(const std::string& systemText) override {
    return NarrowTo(CP_UTF8, WidenFrom(CP_ACP, systemText));
  }
};

}  // namespace

std::unique_ptr<SystemFacts> MakeSystemFacts() { return std::make_unique<WindowsSystemFacts>(); }

}  // namespace brisko
