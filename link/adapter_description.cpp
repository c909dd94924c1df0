// The description of an adapter for a person, shared by both platforms.
#include "link/adapter_identity.h"

namespace brisko {

std::string DescribeAdapter(const AdapterInfo& adapter) {
  std::string text;
  const auto add = [&text](const std::string& part) {
    if (part.empty()) return;
    if (!text.empty()) text += ", ";
    text += part;
  };
  add(adapter.name.empty() ? adapter.manufacturer : adapter.name);
  if (!adapter.vendorId.empty() || !adapter.productId.empty()) add(adapter.vendorId + ":" + adapter.productId);
  if (!adapter.serial.empty()) add("serial " + adapter.serial);
  return text;
}

std::string PortEntryTip(const std::string& devicePath, const AdapterInfo& adapter) {
  std::string tip = devicePath;
  for (const std::string& line : {adapter.byIdPath, DescribeAdapter(adapter)}) {
    if (line.empty()) continue;
    if (!tip.empty()) tip += "\n";
    tip += line;
  }
  return tip;
}

}  // namespace brisko
