#include "protocol/diagnostics_report.h"

#include <algorithm>

#include "brisko_version.h"
#include "link/port_names.h"
#include "protocol/host_system.h"
#include "protocol/logger_core.h"

namespace brisko {

namespace {

void AddFact(std::string& text, const char* label, const std::string& value) {
  if (!value.empty()) text += std::string("    ") + label + ": " + value + "\n";
}

// What the system says of the adapter: the description the port list's tip
// shows, then what else it told.
void AddAdapter(std::string& text, const AdapterInfo& adapter) {
  AddFact(text, "adapter", DescribeAdapter(adapter));
  AddFact(text, "by-id", adapter.byIdPath);
  AddFact(text, "manufacturer", adapter.manufacturer);
  AddFact(text, "hardware id", adapter.hardwareId);
  // On Windows the identity is the device instance id, which says where the
  // adapter sits; on Linux it only repeats the ids and serial number.
  AddFact(text, "device instance", adapter.hardwareId.empty() ? std::string() : adapter.identity);
  std::string driver = adapter.driver;
  for (const std::string& part : {adapter.driverProvider, adapter.driverVersion}) {
    if (!part.empty()) driver += (driver.empty() ? "" : ", ") + part;
  }
  AddFact(text, "driver", driver);
}

void AddPort(std::string& text, int portNumber, const DiagnosticsInput& input) {
  text += "  " + PortName(portNumber) + "\n";
  const auto facts = input.ports.find(portNumber);
  if (facts != input.ports.end()) {
    const PortFacts& f = facts->second;
    AddFact(text, "entry", f.entry);
    AddFact(text, "device", f.device);
    AddAdapter(text, f.adapter);
    AddFact(text, "group", f.group.empty() ? std::string() : f.group + (f.groupAccess.empty() ? "" : ", " + f.groupAccess));
    AddFact(text, "open by", f.heldBy);
  }
  const auto failure = input.failures.find(portNumber);
  if (failure != input.failures.end()) AddFact(text, "last error", failure->second);
}

}  // namespace

std::string BuildDiagnosticsReport(const DiagnosticsInput& input) {
  std::string text = "Brisko diagnostics\n";
  text += "program: " + input.program + " (" + input.build + ")\n";
  text += "system: " + input.system + "\n";
  text += "code page: " + input.codePage + "\n";
  text += "open port: " + (input.openPort.empty() ? std::string("none") : input.openPort) + "\n";

  text += "listed ports:";
  text += input.listedPorts.empty() ? " none\n" : "\n";
  for (const int portNumber : input.listedPorts) AddPort(text, portNumber, input);
  // Ports that failed and are not listed (any more) still say why.
  bool headed = false;
  for (const auto& [portNumber, failure] : input.failures) {
    if (std::find(input.listedPorts.begin(), input.listedPorts.end(), portNumber) != input.listedPorts.end()) continue;
    if (!headed) text += "failed ports, not listed:\n";
    headed = true;
    AddPort(text, portNumber, input);
  }

  if (!input.services.empty()) {
    text += "programs that take serial adapters:\n";
    for (const std::string& service : input.services) text += "  " + service + "\n";
  }
  if (input.tracePath.empty()) {
    text += "trace: none running" + (input.traceFailure.empty() ? std::string() : ": " + input.traceFailure) + "\n";
  } else {
    text += "trace: " + input.tracePath + ", its last " + std::to_string(input.traceTail.size()) + " lines:\n";
    for (const std::string& line : input.traceTail) text += "  " + line + "\n";
  }
  return text;
}

std::string MachineDiagnosticsReport(const LoggerCore& core, const std::vector<int>& listedPorts) {
  const std::unique_ptr<SystemFacts> facts = MakeSystemFacts();
  return BuildDiagnosticsReport(GatherDiagnostics(core, listedPorts, *facts));
}

DiagnosticsInput GatherDiagnostics(const LoggerCore& core, const std::vector<int>& listedPorts, SystemFacts& facts) {
  DiagnosticsInput input;
  const HostSystem host = DescribeHostSystem();
  input.program = std::string(kApplicationName) + " " + kApplicationVersion;
  input.build = BuildBits();
  input.system = host.system;
  input.codePage = host.codePage;
  input.listedPorts = listedPorts;
  input.failures = core.portFailures();
  for (const int portNumber : listedPorts) input.ports[portNumber] = facts.ForPort(portNumber);
  for (const auto& failed : input.failures) {
    if (input.ports.count(failed.first) == 0) input.ports[failed.first] = facts.ForPort(failed.first);
  }
  if (core.HeldPortNumber() != 0 || !core.portStatusDetail().empty()) {
    input.openPort = core.portStatus();
  }
  input.services = facts.GrabbingServices();
  if (core.trace().running()) {
    input.tracePath = core.trace().path();
    input.traceTail = core.trace().Tail();
  } else {
    input.traceFailure = core.trace().failure();
  }
  return input;
}

}  // namespace brisko
