// One thorough look of the core at the system's ports, as the dialog runs one
// at its start, with every probe it caused handed back to the core on this
// thread: the ports listed then.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "link/port_names.h"
#include "protocol/logger_core.h"
#include "tests/support/link_test_support.h"

namespace brisko {

inline std::vector<int> ListAfterLook(LoggerCore& core, PortSystem& ports, RecordingPoster& poster) {
  const std::vector<int>& listed = core.listedPorts();
  std::size_t expected = 0;
  for (int number : ProbeCandidates(ports.PresentPorts())) {
    if (std::find(listed.begin(), listed.end(), number) == listed.end()) ++expected;
  }
  core.FollowPorts(true);
  std::size_t handed = 0;
  WaitUntil([&] {
    for (const auto& [number, openable] : poster.TakeProbed()) {
      core.OnPortProbed(number, openable);
      ++handed;
    }
    return handed >= expected;
  });
  return core.listedPorts();
}

}  // namespace brisko
