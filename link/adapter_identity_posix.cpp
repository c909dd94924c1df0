#include "link/adapter_identity.h"

#include <climits>
#include <cstdlib>
#include <fstream>

namespace brisko {

namespace {

std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

// The first line of a small sysfs attribute, "" when it cannot be read.
std::string Attribute(const std::string& directory, const char* name) {
  std::ifstream file(directory + "/" + name);
  std::string line;
  std::getline(file, line);
  return line;
}

}  // namespace

AdapterInfo ReadAdapterInfo(const std::string& devicePath, const std::string& sysfsRoot) {
  AdapterInfo info;
  const std::string node = RealPath(devicePath);
  const std::string root = RealPath(sysfsRoot);
  if (node.empty() || root.empty()) return info;
  const std::string name = node.substr(node.rfind('/') + 1);
  std::string directory = RealPath(sysfsRoot + "/class/tty/" + name + "/device");
  // Up from the serial interface to the first USB device (the adapter); never
  // above the sysfs root, and never on to the hub, whose own serial attribute
  // names the host controller, not the adapter.
  while (directory.size() > root.size() && directory.compare(0, root.size(), root) == 0) {
    const std::string vendor = Attribute(directory, "idVendor");
    if (!vendor.empty()) {
      const std::string serial = Attribute(directory, "serial");
      if (!serial.empty()) {
        info.identity.append(vendor).append(":").append(Attribute(directory, "idProduct")).append(":").append(serial);
      }
      return info;
    }
    directory.erase(directory.rfind('/'));
  }
  return info;
}

}  // namespace brisko
