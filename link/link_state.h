// The link worker's control word. The user-interface thread writes Running,
// Draining and StopRequested; the worker writes Stopped as its last act.
#pragma once

namespace brisko {

enum class LinkState : int {
  Running = 0,        // sends queued commands and reads
  Draining = 1,       // sends queued commands, reads nothing more
  StopRequested = 2,  // leaves its loop at the end of the current pass
  Stopped = 3,        // has ended
};

}  // namespace brisko
