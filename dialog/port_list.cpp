#include "dialog/port_list.h"

#include <algorithm>
#include <string>
#include <utility>

#include "dialog/control_ids.h"
#include "link/port_names.h"

namespace brisko {

PortList::PortList(ControlSurface& surface, PortSystem& ports)
    : surface_(surface),
      ports_(ports),
      prober_(std::make_unique<PortProber>(ports, [&surface](int portNumber, bool openable) {
        surface.PostPortProbedToDialog(portNumber, openable);
      })) {}

void PortList::Show(int portNumber) {
  if (std::find(listed_.begin(), listed_.end(), portNumber) == listed_.end()) Insert(portNumber);
}

bool PortList::Look(bool thorough, int heldPort) {
  const PortPresence presence = ports_.PresentPorts();
  const std::set<int> before = std::exchange(named_, std::set<int>(presence.numbers.begin(), presence.numbers.end()));
  std::vector<int> toProbe;
  for (int number : thorough ? ProbeCandidates(presence) : presence.numbers) {
    const bool known = !thorough && before.count(number) != 0;
    const bool listed = std::find(listed_.begin(), listed_.end(), number) != listed_.end();
    // Never the held port: probing would open it a second time.
    if (!known && !listed && number != heldPort) toProbe.push_back(number);
  }
  if (prober_ != nullptr && !toProbe.empty()) prober_->Probe(toProbe);

  // A system that names only some of its ports proves no absence.
  bool heldGone = false;
  if (presence.complete) {
    const std::vector<int> listed = listed_;
    for (int number : listed) {
      if (named_.count(number) != 0) continue;
      if (number == heldPort) {
        heldGone = true;
      } else {
        Remove(number);
      }
    }
  }
  return heldGone;
}

bool PortList::Forget(int portNumber, int heldPort) {
  named_.erase(portNumber);
  if (portNumber == heldPort) return true;
  Remove(portNumber);
  return false;
}

void PortList::OnProbed(int portNumber, bool openable) {
  if (openable) Show(portNumber);
}

void PortList::StopProbing() { prober_.reset(); }

void PortList::Insert(int portNumber) {
  const auto place = std::lower_bound(listed_.begin(), listed_.end(), portNumber);
  const int index = static_cast<int>(place - listed_.begin());
  const int selection = surface_.ListSelection(kIdPortList);
  listed_.insert(place, portNumber);
  surface_.InsertListEntry(kIdPortList, index, std::to_string(portNumber), DevicePathForPort(portNumber));
  // The entry that was selected stays selected, whatever the toolkit does.
  surface_.SetListSelection(kIdPortList, selection >= index ? selection + 1 : selection);
}

void PortList::Remove(int portNumber) {
  const auto place = std::find(listed_.begin(), listed_.end(), portNumber);
  if (place == listed_.end()) return;
  const int index = static_cast<int>(place - listed_.begin());
  const int selection = surface_.ListSelection(kIdPortList);
  listed_.erase(place);
  surface_.RemoveListEntry(kIdPortList, index);
  surface_.SetListSelection(kIdPortList, selection == index ? -1 : selection > index ? selection - 1 : selection);
}

}  // namespace brisko
