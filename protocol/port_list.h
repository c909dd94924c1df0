// Which ports the tool lists while the dialog runs, following the system:
// the numbers (ascending, each once), which ports are new and get a probe,
// and which entries leave. A look at the system opens nothing; probes run on
// a thread of their own and come back as posted notices, so a slow port never
// holds up the window. The port the core holds (open, or just lost) keeps its
// entry until the system stops naming it after having named it: a number the
// system cannot name (past 255, or left out of a partial listing) proves no
// absence. Every change goes to the dialog as an entry inserted or removed at
// an index. Owned by the core; user-interface thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "link/port_prober.h"
#include "link/sentence_poster.h"
#include "link/serial_port.h"
#include "protocol/logger_callouts.h"

namespace brisko {

// How long the user's choice of a port waits for that port's probe.
inline constexpr std::chrono::milliseconds kChoiceWaitsForProbe{3000};

class PortList {
 public:
  // `ports`, `dialog` and `poster` must outlive the list.
  PortList(PortSystem& ports, DialogCallouts& dialog, SentencePoster& poster);

  // Told whenever the system begins (true) or ceases (false) to name a port,
  // whether or not it is listed: the trace's port events.
  using PresenceNews = std::function<void(int portNumber, bool present)>;
  void SetPresenceNews(PresenceNews news) { presenceNews_ = std::move(news); }

  const std::vector<int>& listed() const { return listed_; }
  // Lists a port the core has just opened: it cannot be probed while open.
  void Show(int portNumber);
  // Looks at the system's ports. A thorough look (at start, and when the
  // system says its ports changed) probes every candidate not listed; a quick
  // one (every second) only those the system names anew. `watchedPort`, when
  // not 0, is probed at every look, listed or not. Entries the system no
  // longer names leave, when it names all its ports. True when `heldPort` is
  // among those gone: the caller reports it lost.
  bool Look(bool thorough, int heldPort, int watchedPort);
  // The system announced by name that port n went: its entry leaves, unless
  // it is `heldPort` (true then, as above).
  bool Forget(int portNumber, int heldPort);
  // A probe's result, posted back: an openable port joins the list.
  void OnProbed(int portNumber, bool openable);
  // Before the core opens port n: a probe of it in progress ends first.
  void AwaitProbeOf(int portNumber);
  // Ends the probing (waits for the probes in progress); later looks list
  // nothing new.
  void StopProbing();

 private:
  void Insert(int portNumber);
  void Remove(int portNumber);
  bool Listed(int portNumber) const;

  DialogCallouts& dialog_;
  PortSystem& ports_;
  std::unique_ptr<PortProber> prober_;
  std::vector<int> listed_;  // ascending, as the dialog shows them
  std::map<int, std::uint64_t> named_;  // what the system named at the last look, with its stamp
  PresenceNews presenceNews_;
};

}  // namespace brisko
