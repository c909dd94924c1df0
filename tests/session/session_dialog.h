// The dialog as the port session tests need it: the protocol tests' fake,
// plus a record of the port-dependent controls being enabled and disabled and
// a read-back that the test scripts (the user's choice in the port list).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fake_callouts.h"
#include "link/sentence_framing.h"

namespace brisko {

class SessionDialog final : public testing::FakeDialog {
 public:
  void EnablePortControls(bool enable) override { portControlsEnabled.push_back(enable); }
  bool ReadBackControls() override { return readBack ? readBack() : true; }

  std::vector<bool> portControlsEnabled;
  std::function<bool()> readBack;
};

// A sentence as it travels on the wire, checksum tail included.
inline std::string Wire(std::string sentence) {
  AppendChecksum(sentence);
  return sentence;
}

inline std::vector<std::string> IdentificationOnTheWire() {
  return {"$NT900,4,51,0*0F\r\n", "$NT987,1*31\r\n", "$NT800,1*3F\r\n"};
}

}  // namespace brisko
