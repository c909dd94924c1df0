// Sentences as they travel on the wire, checksum tail included.
#pragma once

#include <string>
#include <vector>

#include "link/sentence_framing.h"

namespace brisko {

inline std::string Wire(std::string sentence) {
  AppendChecksum(sentence);
  return sentence;
}

// A whole command sequence, one sentence after the other.
inline std::string OnTheWire(const std::vector<std::string>& commands) {
  std::string bytes;
  for (const auto& command : commands) bytes += Wire(command);
  return bytes;
}

// The identification as the logger must receive it, written out by hand so
// that a wrong checksum shows.
inline std::vector<std::string> IdentificationOnTheWire() {
  return {"$NT900,4,51,0*0F\r\n", "$NT987,1*31\r\n", "$NT800,1*3F\r\n"};
}

}  // namespace brisko
