#include "app/settings_file.h"

#include <cstdio>
#include <cstring>

namespace brisko {

namespace {

constexpr int kLineLimit = 127;

}  // namespace

std::string ReadSettingsFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return std::string();
  char line[kLineLimit + 1] = {};
  const bool read = std::fgets(line, sizeof line, file) != nullptr;
  // Only read from: a failed close loses nothing.
  (void)std::fclose(file);
  if (!read) return std::string();
  std::string text(line, std::strlen(line));
  // A hand-edited file ends its line with LF or CR LF; the line end is not
  // part of the port number (the files written here have none).
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

void WriteSettingsFile(const std::string& portNumber, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return;
  // A failed write is as silent as a file that cannot be opened: the port
  // number is a convenience, not worth a message while the program ends.
  (void)std::fwrite(portNumber.data(), 1, portNumber.size(), file);
  (void)std::fclose(file);
}

}  // namespace brisko
