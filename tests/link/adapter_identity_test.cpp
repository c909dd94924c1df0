// What sysfs and /dev/serial/by-id say of the adapter behind a port, on a
// tree laid out as the kernel and udev lay it out for each kind of adapter,
// and the description and tip made of it.
#include "link/adapter_identity.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace brisko {
namespace {

namespace fs = std::filesystem;

// One tty: its node, the sysfs device its class entry links to (relative to
// the hub), the driver of that device, the USB device's attributes (relative
// path, then name=value pairs), and the by-id link udev makes for it.
struct Row {
  const char* kind;
  const char* node;
  const char* device;  // "" for a tty without a device (rfcomm)
  const char* driver;
  const char* usbDevice;  // "" when no USB device is above it
  std::vector<std::pair<const char*, const char*>> attributes;
  const char* byId;  // "" when udev makes none
  // What is read back.
  const char* identity;
  const char* description;
};

TEST(AdapterIdentity, EachKindOfAdapterIsNamedAsSysfsNamesIt) {
  const fs::path root = fs::temp_directory_path() / ("brisko-sysfs-" + std::to_string(::getpid()));
  const fs::path hub = root / "devices/pci0000:00/0000:00:14.0/usb1";
  const fs::path byId = root / "serial/by-id";
  const auto write = [](const fs::path& file, const std::string& text) { std::ofstream(file) << text << "\n"; };
  fs::create_directories(hub);
  fs::create_directories(byId);
  fs::create_directories(root / "dev");
  // The root hub has a serial number of its own: it must never name an adapter.
  write(hub / "idVendor", "1d6b");
  write(hub / "idProduct", "0002");
  write(hub / "serial", "0000:00:14.0");

  const std::vector<Row> rows = {
      {"FTDI", "ttyUSB0", "1-2/1-2:1.0/ttyUSB0", "ftdi_sio", "1-2",
       {{"idVendor", "0403"}, {"idProduct", "6001"}, {"manufacturer", "FTDI"}, {"product", "FT232R USB UART"},
        {"serial", "A50285BI"}},
       "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "0403:6001:A50285BI",
       "FT232R USB UART, 0403:6001, serial A50285BI"},
      {"CP210x", "ttyUSB1", "1-3/1-3:1.0/ttyUSB1", "cp210x", "1-3",
       {{"idVendor", "10c4"}, {"idProduct", "ea60"}, {"manufacturer", "Silicon Labs"},
        {"product", "CP2102 USB to UART Bridge Controller"}, {"serial", "0001"}},
       "usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0", "10c4:ea60:0001",
       "CP2102 USB to UART Bridge Controller, 10c4:ea60, serial 0001"},
      // No manufacturer or serial string: only the hub above has a serial.
      {"CH340", "ttyUSB2", "1-4/1-4:1.0/ttyUSB2", "ch341-uart", "1-4",
       {{"idVendor", "1a86"}, {"idProduct", "7523"}, {"product", "USB2.0-Serial"}},
       "usb-1a86_USB2.0-Serial-if00-port0", "", "USB2.0-Serial, 1a86:7523"},
      {"PL2303", "ttyUSB3", "1-6/1-6:1.0/ttyUSB3", "pl2303", "1-6",
       {{"idVendor", "067b"}, {"idProduct", "2303"}, {"manufacturer", "Prolific Technology Inc."},
        {"product", "USB-Serial Controller"}},
       "usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0", "", "USB-Serial Controller, 067b:2303"},
      // cdc_acm binds the interface itself: the tty's device is the interface.
      {"CDC ACM", "ttyACM0", "1-5/1-5:1.0", "cdc_acm", "1-5",
       {{"idVendor", "2e8a"}, {"idProduct", "000a"}, {"manufacturer", "Raspberry Pi"}, {"product", "Pico"},
        {"serial", "E660583883265027"}},
       "usb-Raspberry_Pi_Pico_E660583883265027-if00", "2e8a:000a:E660583883265027",
       "Pico, 2e8a:000a, serial E660583883265027"},
      // A virtual tty: a class entry without a device, nothing to tell.
      {"Bluetooth", "rfcomm0", "", "", "", {}, "", "", ""},
      {"built-in", "ttyS0", "../../platform/serial8250/tty/ttyS0", "serial8250", "", {}, "", "", ""},
  };
  for (const Row& row : rows) {
    fs::create_directories(root / "class/tty" / row.node);
    std::ofstream(root / "dev" / row.node).put('\n');
    if (*row.device != '\0') {
      const fs::path device = hub / row.device;
      fs::create_directories(device);
      fs::create_directory_symlink(device, root / "class/tty" / row.node / "device");
      const fs::path driver = root / "bus/drivers" / row.driver;
      fs::create_directories(driver);
      fs::create_directory_symlink(driver, device / "driver");
    }
    for (const auto& [name, value] : row.attributes) write(hub / row.usbDevice / name, value);
    if (*row.byId != '\0') fs::create_symlink(root / "dev" / row.node, byId / row.byId);
  }
  std::ofstream(root / "dev/pts7").put('\n');  // a pseudo-terminal: no sysfs entry at all

  for (const Row& row : rows) {
    SCOPED_TRACE(row.kind);
    const std::string path = (root / "dev" / row.node).string();
    const AdapterInfo adapter = ReadAdapterInfo(path, root.string(), byId.string());
    EXPECT_EQ(adapter.identity, row.identity);
    EXPECT_EQ(adapter.driver, row.driver);
    EXPECT_EQ(DescribeAdapter(adapter), row.description);
    const std::string byIdLine = *row.byId != '\0' ? "\n" + (byId / row.byId).string() : "";
    const std::string descriptionLine = *row.description != '\0' ? std::string("\n") + row.description : "";
    EXPECT_EQ(PortEntryTip(path, adapter), path + byIdLine + descriptionLine);
  }
  for (const char* node : {"pts7", "absent"}) {
    const AdapterInfo adapter = ReadAdapterInfo((root / "dev" / node).string(), root.string(), byId.string());
    EXPECT_EQ(DescribeAdapter(adapter) + adapter.identity + adapter.driver + adapter.byIdPath, "") << node;
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace brisko
