// The dialogs' layouts as data: every control in template order with its id,
// kind, text, position and size in dialog units and its group, tab-stop and
// disabled flags. The order fixes the radio groups, the tab order, the order
// in which the data exchange walks a group, where the focus starts and which
// label names an edit or list. Also the sets of controls that the main dialog
// treats alike. Plain C++, no toolkit.
#pragma once

#include <functional>
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
  Text,          // left-aligned static text without a frame
  Icon,          // the program icon, which the front end puts in
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
// "Informazioni su brisko": the program icon, its name and version, a line on
// what it does, and OK.
const DialogTemplate& AboutTemplate();
// The entry that opens the About box, in the system menu or a context menu.
inline constexpr const char* kAboutEntryText = "Infor&mazioni su brisko...";

// The entries of the window's menu (the system menu on Windows, the context
// menu on Linux), in their order; a front end adds one item per entry and
// hands its command to LoggerDialog::OnMenuCommand.
enum class MenuCommand { About, LoadProfile, SaveProfile, Trace, CopyDiagnostics };
struct MenuEntry {
  MenuCommand command;
  const char* text;  // UTF-8, "&" before the mnemonic
};
inline constexpr MenuEntry kMenuEntries[] = {
    {MenuCommand::LoadProfile, "&Load profile..."},
    {MenuCommand::SaveProfile, "&Save profile..."},
    // Checked while a trace runs; choosing it then stops the trace.
    {MenuCommand::Trace, "&Trace the line to a file..."},
    {MenuCommand::CopyDiagnostics, "Copy &diagnostics report"},
    {MenuCommand::About, kAboutEntryText},  // last, where it always was
};

// The controls that need an open port: those the main template creates
// disabled, in template order. A successful open enables them, a failed one
// disables them again.
const std::vector<int>& PortDependentControlIds();
// The "Temp/Humid Record" group box and its four buttons, in this order.
const std::vector<int>& RecordModeControlIds();

// The control with this id in the template, or nullptr (-1 finds nothing).
const ControlTemplate* FindControl(const DialogTemplate& dialog, int id);
// True when the template creates the control with this id enabled.
bool CreatedEnabled(const DialogTemplate& dialog, int id);
// The radio groups of a template: a group runs from a control with the group
// flag up to the next one, and its buttons are numbered in template order.
std::vector<std::vector<int>> RadioGroups(const DialogTemplate& dialog);
// The main dialog's radio group that begins with this button: its buttons in
// template order, numbered from 0; empty when no group begins there.
const std::vector<int>& RadioGroupIds(int firstButtonId);

// Where the focus starts: the first control in template order with a tab
// stop that `isEnabled` accepts; -1 when there is none.
int FirstTabStopId(const DialogTemplate& dialog, const std::function<bool(int id)>& isEnabled);
// The same with the controls enabled as the template creates them.
int FirstTabStopId(const DialogTemplate& dialog);
// The label that names an edit or a drop-down list for a screen reader: the
// label standing just before it in template order, as Windows finds it;
// nullptr for other controls or when no label stands there.
const ControlTemplate* NameLabelOf(const DialogTemplate& dialog, int id);

}  // namespace brisko
