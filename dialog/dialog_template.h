// The dialogs' layouts as data: every control in template order with its id,
// kind, text, position and size in dialog units and its group, tab-stop and
// disabled flags. The order fixes the radio groups, the tab order and the
// order in which the data exchange walks a group. Also the sets of controls
// that the main dialog treats alike. Plain C++, no toolkit.
#pragma once

#include <vector>

namespace brisko {

enum class ControlKind {
  GroupBox,
  RadioButton,   // an automatic radio button: a click checks it
  Label,         // right-aligned static text
  DisplayField,  // left-aligned sunken static text that shows a record field
  Edit,          // one line, border, scrolls horizontally
  PushButton,
  DropDownList,  // unsorted, vertical scroll bar; height includes the dropped list
  ListBox,       // sorted, border, vertical scroll bar
};

enum ControlFlag : unsigned {
  kGroupStart = 1u << 0,  // begins a group that runs up to the next group start
  kTabStop = 1u << 1,     // the Tab key visits it
  kDisabled = 1u << 2,    // created disabled
};

struct ControlTemplate {
  int id;  // -1: a label or group box that nothing addresses
  ControlKind kind;
  const char* text;
  int x, y, width, height;  // dialog units
  unsigned flags;
};

struct DialogTemplate {
  const char* title;
  int width, height;  // client area in dialog units
  int fontPointSize;
  std::vector<ControlTemplate> controls;
};

// The main dialog, titled with the program's name and version: its 47 controls.
const DialogTemplate& MainDialogTemplate();
// "Delete flight": Cancel, the (always empty) flight list and "&Delete".
const DialogTemplate& DeleteFlightTemplate();

// The 17 controls that need an open port: created disabled, enabled by a
// successful open and disabled again by a failed one.
const std::vector<int>& PortDependentControlIds();
// The "Temp/Humid Record" group box and its four buttons, in this order.
const std::vector<int>& RecordModeControlIds();

// The control with this id in the template, or nullptr (-1 finds nothing).
const ControlTemplate* FindControl(const DialogTemplate& dialog, int id);
// The main dialog's radio group that begins with this button: its buttons in
// template order, numbered from 0; empty when no group begins there.
const std::vector<int>& RadioGroupIds(int firstButtonId);

}  // namespace brisko
