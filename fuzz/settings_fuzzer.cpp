// Arbitrary bytes as the content of the settings file, read the way the
// program reads it at start-up, then turned into a port number and a device
// path as opening the restored port does, then written back as at exit and
// read again. Traps when the value read is not the first line of the file
// (at most 127 bytes, cut at a NUL, without its line end), or when what is
// written at exit does not read back as the same value.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/settings_file.h"
#include "link/port_names.h"
#include "link/decimal.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

// The first line as the reader must take it: up to and including the first
// line feed, at most 127 bytes, up to a NUL, then without trailing CR and LF.
std::string FirstLine(const std::uint8_t* data, std::size_t size) {
  std::string line;
  for (std::size_t i = 0; i < size && line.size() < 127; ++i) {
    line.push_back(static_cast<char>(data[i]));
    if (data[i] == '\n') break;
  }
  line = line.substr(0, line.find('\0'));
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

// One file in memory for the whole run, opened by name like the real one; it
// goes away with the process, however the fuzzer ends.
const std::string& ScratchPath() {
  static const std::string path = [] {
    const int fd = memfd_create("brisko-fuzz-settings", 0);
    Require(fd >= 0);
    return "/proc/self/fd/" + std::to_string(fd);
  }();
  return path;
}

bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The device path of the restored port is looked up in a ports directory;
  // a private, empty one keeps the lookup away from the machine's own.
  setenv("BRISKO_PORTS_DIR", "/nonexistent/brisko-fuzz-ports", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = ScratchPath();
  Require(WriteFile(path, data, size));

  const std::string portNumber = brisko::ReadSettingsFile(path);
  Require(portNumber == FirstLine(data, size));

  // Opening the restored port takes the number's leading part, and any
  // number names a device or nothing.
  const std::int32_t number = brisko::LeadingInt(portNumber);
  const std::string device = brisko::DevicePathForPort(number);
  Require(device.empty());  // the ports directory above has no entries

  brisko::WriteSettingsFile(portNumber, path);
  Require(brisko::ReadSettingsFile(path) == portNumber);
  return 0;
}
