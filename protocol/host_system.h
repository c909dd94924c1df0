// What the machine the tool runs on says about itself, for the head of a
// trace and for the diagnostics report: the system and its version, the code
// page texts are read in, and whether this build is 32- or 64-bit. One file
// per platform.
#pragma once

#include <string>

namespace brisko {

struct HostSystem {
  std::string system;    // "Linux 6.1.0-18-amd64 x86_64", "Windows 10.0.19045 (Wine 8.0)"
  std::string codePage;  // "UTF-8", "1252"
};

HostSystem DescribeHostSystem();

// "32-bit" or "64-bit": this program's own build.
std::string BuildBits();

}  // namespace brisko
