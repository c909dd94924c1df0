// The port list as it follows the system's ports while the dialog runs: which
// numbers it shows (ascending, each once), which ports are new to it and get
// their one probe, and which entries leave. A look at the system opens
// nothing; probes run on a thread of their own and come back through the
// surface as posted notices, so a slow port never holds up the window. The
// port the tool holds (open, or just lost) keeps its entry whatever the system
// says; the selection stays on the entry it was on. User-interface thread
// only.
#pragma once

#include <memory>
#include <set>
#include <vector>

#include "dialog/control_surface.h"
#include "link/port_prober.h"
#include "link/serial_port.h"

namespace brisko {

class PortList {
 public:
  // `surface` and `ports` must outlive the list.
  PortList(ControlSurface& surface, PortSystem& ports);

  // Lists the port the tool has just opened: it cannot be probed while open.
  void Show(int portNumber);
  // Looks at the system's ports. A thorough look (at start, and when the
  // system says its ports changed) probes every candidate not listed; a quick
  // one (every second) only those the system names anew. Entries the system
  // no longer names leave, when it names all its ports. True when
  // `heldPort` is among those gone: the caller reports it lost.
  bool Look(bool thorough, int heldPort);
  // The system announced by name that port n went: its entry leaves, unless
  // it is `heldPort` (true then, as above).
  bool Forget(int portNumber, int heldPort);
  // A probe's result, posted back: an openable port joins the list.
  void OnProbed(int portNumber, bool openable);
  // Ends the probing (waits for the probe in progress); later looks list
  // nothing new.
  void StopProbing();

 private:
  void Insert(int portNumber);
  void Remove(int portNumber);

  ControlSurface& surface_;
  PortSystem& ports_;
  std::unique_ptr<PortProber> prober_;
  std::vector<int> listed_;  // the entries, ascending, as the surface shows them
  std::set<int> named_;      // what the system named at the last look
};

}  // namespace brisko
