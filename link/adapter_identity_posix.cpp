#include "link/adapter_identity.h"

#include <dirent.h>
#include <unistd.h>

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

// The last part of the driver link ("../../../bus/usb-serial/drivers/ftdi_sio").
std::string DriverName(const std::string& deviceLink) {
  char target[PATH_MAX];
  const ssize_t length = ::readlink((deviceLink + "/driver").c_str(), target, sizeof target - 1);
  if (length <= 0) return std::string();
  const std::string link(target, static_cast<std::size_t>(length));
  return link.substr(link.rfind('/') + 1);
}

// The entry of the by-id directory that resolves to node, "" when none does.
std::string ByIdPath(const std::string& node, const std::string& byIdDirectory) {
  DIR* listing = ::opendir(byIdDirectory.c_str());
  if (listing == nullptr) return std::string();
  std::string found;
  while (const dirent* entry = ::readdir(listing)) {
    if (entry->d_name[0] == '.') continue;
    const std::string path = byIdDirectory + "/" + entry->d_name;
    if (RealPath(path) == node) {
      found = path;
      break;
    }
  }
  ::closedir(listing);
  return found;
}

}  // namespace

AdapterInfo ReadAdapterInfo(const std::string& devicePath, const std::string& sysfsRoot,
                            const std::string& byIdDirectory) {
  AdapterInfo info;
  const std::string node = RealPath(devicePath);
  const std::string root = RealPath(sysfsRoot);
  if (node.empty() || root.empty()) return info;
  info.byIdPath = ByIdPath(node, byIdDirectory);
  const std::string name = node.substr(node.rfind('/') + 1);
  const std::string deviceLink = sysfsRoot + "/class/tty/" + name + "/device";
  info.driver = DriverName(deviceLink);
  std::string directory = RealPath(deviceLink);
  // Up from the serial interface to the first USB device (the adapter); never
  // above the sysfs root, and never on to the hub, whose own serial attribute
  // names the host controller, not the adapter.
  while (directory.size() > root.size() && directory.compare(0, root.size(), root) == 0) {
    info.vendorId = Attribute(directory, "idVendor");
    if (!info.vendorId.empty()) {
      info.productId = Attribute(directory, "idProduct");
      info.manufacturer = Attribute(directory, "manufacturer");
      info.name = Attribute(directory, "product");
      info.serial = Attribute(directory, "serial");
      if (!info.serial.empty()) info.identity = info.vendorId + ":" + info.productId + ":" + info.serial;
      return info;
    }
    directory.erase(directory.rfind('/'));
  }
  return info;
}

}  // namespace brisko
