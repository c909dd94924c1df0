#include "protocol/port_list.h"

#include <algorithm>
#include <utility>

#include "link/port_names.h"

namespace brisko {

PortList::PortList(PortSystem& ports, DialogCallouts& dialog, SentencePoster& poster)
    : dialog_(dialog),
      ports_(ports),
      prober_(std::make_unique<PortProber>(ports, [&poster](int portNumber, bool openable) {
        poster.PostPortProbed(portNumber, openable);
      })) {}

bool PortList::Listed(int portNumber) const {
  return std::find(listed_.begin(), listed_.end(), portNumber) != listed_.end();
}

void PortList::Show(int portNumber) {
  if (!Listed(portNumber)) Insert(portNumber);
}

bool PortList::Look(bool thorough, int heldPort, int watchedPort) {
  const PortPresence presence = ports_.PresentPorts();
  std::map<int, std::uint64_t> named;
  for (std::size_t i = 0; i < presence.numbers.size(); ++i) {
    named[presence.numbers[i]] = i < presence.stamps.size() ? presence.stamps[i] : 0;
  }
  const std::map<int, std::uint64_t> before = std::exchange(named_, std::move(named));
  if (presenceNews_) {
    for (const auto& entry : named_) {
      if (before.count(entry.first) == 0) presenceNews_(entry.first, true);
    }
    // A partial listing says nothing of the ports it leaves out.
    for (const auto& entry : before) {
      if (presence.complete && named_.count(entry.first) == 0) presenceNews_(entry.first, false);
    }
  }
  std::vector<int> toProbe;
  for (int number : thorough ? ProbeCandidates(presence) : presence.numbers) {
    // Named at the last look too, and the same device behind the name.
    const auto last = before.find(number);
    const bool known = !thorough && last != before.end() && last->second == named_.at(number);
    // Never the held port: probing would open it a second time.
    if (!known && !Listed(number) && number != heldPort) toProbe.push_back(number);
  }
  if (watchedPort != 0) toProbe.push_back(watchedPort);
  // Also with nothing to queue: a probe that hangs gets a thread beside it.
  if (prober_ != nullptr) prober_->Probe(toProbe);

  // A system that names only some of its ports proves no absence, and the
  // held port is gone only when the system named it before.
  bool heldGone = false;
  if (presence.complete) {
    const std::vector<int> listed = listed_;
    for (int number : listed) {
      if (named_.count(number) != 0) continue;
      if (number != heldPort) {
        Remove(number);
      } else if (before.count(number) != 0) {
        heldGone = true;
      }
    }
  }
  return heldGone;
}

bool PortList::Forget(int portNumber, int heldPort) {
  if (named_.erase(portNumber) != 0 && presenceNews_) presenceNews_(portNumber, false);
  if (portNumber == heldPort) return true;
  Remove(portNumber);
  return false;
}

void PortList::OnProbed(int portNumber, bool openable) {
  if (openable && prober_ != nullptr) Show(portNumber);
}

void PortList::AwaitProbeOf(int portNumber) {
  if (prober_ != nullptr) prober_->AwaitProbeOf(portNumber, kChoiceWaitsForProbe);
}

void PortList::StopProbing() { prober_.reset(); }

void PortList::Insert(int portNumber) {
  const auto place = std::lower_bound(listed_.begin(), listed_.end(), portNumber);
  const int index = static_cast<int>(place - listed_.begin());
  listed_.insert(place, portNumber);
  dialog_.InsertPortEntry(index, portNumber);
}

void PortList::Remove(int portNumber) {
  const auto place = std::find(listed_.begin(), listed_.end(), portNumber);
  if (place == listed_.end()) return;
  const int index = static_cast<int>(place - listed_.begin());
  listed_.erase(place);
  dialog_.RemovePortEntry(index);
}

}  // namespace brisko
