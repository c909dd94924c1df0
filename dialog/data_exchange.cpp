#include "dialog/data_exchange.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "brisko_version.h"
#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "protocol/field_edit.h"

namespace brisko {

namespace {

// Checks the button whose number is the index and unchecks the others; an
// index outside the group leaves every button unchecked. A button already
// as it should be is not touched.
void ShowRadioIndex(ControlSurface& surface, const std::vector<int>& group, std::int32_t index) {
  for (std::size_t i = 0; i < group.size(); ++i) {
    const bool checked = index >= 0 && static_cast<std::size_t>(index) == i;
    if (surface.Checked(group[i]) != checked) surface.SetChecked(group[i], checked);
  }
}

std::int32_t ReadRadioIndex(const ControlSurface& surface, const std::vector<int>& group) {
  for (std::size_t i = 0; i < group.size(); ++i) {
    if (surface.Checked(group[i])) return static_cast<std::int32_t>(i);
  }
  return -1;
}

// Case folding for the Latin-1 letters, as the list compares its entries.
char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 0x20);
  return c;
}

bool BeginsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  std::u16string characters;
  std::u16string begin;
  if (!Utf8ToUtf16(text, characters) || !Utf8ToUtf16(prefix, begin)) return false;
  if (begin.size() > characters.size()) return false;
  for (std::size_t i = 0; i < begin.size(); ++i) {
    if (FoldCase(characters[i]) != FoldCase(begin[i])) return false;
  }
  return true;
}

// Selects the first entry that begins with the text, ignoring case; without
// a match the list stays as it was. An empty text (no port remembered yet)
// matches nothing: every entry begins with it, and selecting the first would
// offer a port the user never chose.
void SelectByPrefix(ControlSurface& surface, int listId, const std::string& value) {
  if (value.empty()) return;
  const int count = surface.ListCount(listId);
  for (int i = 0; i < count; ++i) {
    if (BeginsWithIgnoringCase(surface.ListEntry(listId, i), value)) {
      surface.SetListSelection(listId, i);
      return;
    }
  }
}


// Each kind of step: how it shows its record field in its control, and how
// it reads the control back into the field (false: a text longer than the
// limit, the field keeps the text as the control has it).
struct ExchangeStep {
  int controlId;  // for a radio index: the group's first button
  int limit;      // the most characters the user may type; 0 for no edit
  void (*show)(const DeviceRecord& record, ControlSurface& surface, int controlId);
  bool (*read)(DeviceRecord& record, const ControlSurface& surface, int controlId, int limit);
};

// A record field as the controls show it: the program's texts as they are,
// the logger's through the front end's code page.
const std::string& Shown(const std::string& text, const CodePage& /*codePage*/) { return text; }
std::string Shown(const LoggerText& text, const CodePage& codePage) { return ShownText(text, codePage); }

void ReadShown(const std::string& shown, const CodePage& /*codePage*/, std::string& field) { field = shown; }
// A text the user left as the refresh showed it keeps the logger's bytes,
// even bytes the code page cannot give back (an unassigned byte, a broken
// double-byte pair): only a text the user changed is written anew.
void ReadShown(const std::string& shown, const CodePage& codePage, LoggerText& field) {
  if (shown != ShownText(field, codePage)) field = LoggerTextIn(shown, codePage);
}

// A text both ways; a control whose text already matches is not touched, so
// that an edit keeps its caret and selection. The limit counts the bytes the
// logger would get.
template <auto Field>
void ShowText(const DeviceRecord& record, ControlSurface& surface, int controlId) {
  const auto& shown = Shown(record.*Field, surface.TextCodePage());
  if (surface.Text(controlId) != shown) surface.SetText(controlId, shown);
}

template <auto Field>
bool ReadText(DeviceRecord& record, const ControlSurface& surface, int controlId, int limit) {
  ReadShown(surface.Text(controlId), surface.TextCodePage(), record.*Field);
  return limit == 0 || (record.*Field).size() <= static_cast<std::size_t>(limit);
}

template <std::int32_t DeviceRecord::*Field>
void ShowRadio(const DeviceRecord& record, ControlSurface& surface, int firstButtonId) {
  ShowRadioIndex(surface, RadioGroupIds(firstButtonId), record.*Field);
}

template <std::int32_t DeviceRecord::*Field>
bool ReadRadio(DeviceRecord& record, const ControlSurface& surface, int firstButtonId, int /*limit*/) {
  record.*Field = ReadRadioIndex(surface, RadioGroupIds(firstButtonId));
  return true;
}

template <std::string DeviceRecord::*Field>
void ShowListText(const DeviceRecord& record, ControlSurface& surface, int listId) {
  SelectByPrefix(surface, listId, record.*Field);
}

// With no entry selected (the chosen one has left the list) the field keeps
// its port: the settings file is never emptied behind the user's back.
template <std::string DeviceRecord::*Field>
bool ReadListText(DeviceRecord& record, const ControlSurface& surface, int listId, int /*limit*/) {
  const int selected = surface.ListSelection(listId);
  if (selected >= 0) record.*Field = surface.ListEntry(listId, selected);
  return true;
}

template <auto Field>
constexpr ExchangeStep Text(int controlId, int limit = 0) {
  return {controlId, limit, ShowText<Field>, ReadText<Field>};
}
template <std::int32_t DeviceRecord::*Field>
constexpr ExchangeStep RadioIndex(int firstButtonId) {
  return {firstButtonId, 0, ShowRadio<Field>, ReadRadio<Field>};
}
template <std::string DeviceRecord::*Field>
constexpr ExchangeStep ListText(int listId) {
  return {listId, 0, ShowListText<Field>, ReadListText<Field>};
}

// The one order of both directions. A read-back that fails at an edit leaves
// every field after it, the port number among them, as it was.
constexpr ExchangeStep kSteps[] = {
    Text<&DeviceRecord::serialNumber>(kIdSerialNumber),
    Text<&DeviceRecord::firmwareRev>(kIdFirmwareRev),
    Text<&DeviceRecord::hardwareRev>(kIdHardwareRev),
    Text<&DeviceRecord::portStatus>(kIdPortStatus),
    Text<&DeviceRecord::gpsFixLine>(kIdGpsFixLine),
    Text<&DeviceRecord::pilotName>(kIdPilotName, kPilotNameLimit),
    Text<&DeviceRecord::competitionClass>(kIdCompetitionClass, kShortTextLimit),
    Text<&DeviceRecord::competitionId>(kIdCompetitionId, kShortTextLimit),
    Text<&DeviceRecord::gliderType>(kIdGliderType, kShortTextLimit),
    Text<&DeviceRecord::gliderId>(kIdGliderId, kShortTextLimit),
    RadioIndex<&DeviceRecord::fixRateIndex>(kIdFixRate1),
    Text<&DeviceRecord::sealStatus>(kIdSealStatus),
    ListText<&DeviceRecord::portNumber>(kIdPortList),
    Text<&DeviceRecord::temperature>(kIdTemperature),
    Text<&DeviceRecord::humidity>(kIdHumidity),
    RadioIndex<&DeviceRecord::recordMode>(kIdRecordModeNo),
    Text<&DeviceRecord::inputVoltage>(kIdInputVoltage),
};

// Counts the exchanges running: a refresh can run inside the modal length
// message of a read-back.
class Running {
 public:
  explicit Running(int& depth) : depth_(depth) { ++depth_; }
  ~Running() { --depth_; }
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;

 private:
  int& depth_;
};

}  // namespace

DataExchange::DataExchange(DeviceRecord& record, ControlSurface& surface) : record_(record), surface_(surface) {}

std::string DataExchange::LimitMessageText(int limit) {
  return "Non digitare pi\u00f9 di " + std::to_string(limit) + " caratteri.";
}

void DataExchange::LimitLengths() {
  for (const ExchangeStep& step : kSteps) {
    if (step.limit != 0) surface_.SetLengthLimit(step.controlId, step.limit);
  }
}

void DataExchange::Refresh() {
  const Running running(depth_);
  for (const ExchangeStep& step : kSteps) step.show(record_, surface_, step.controlId);
}

void DataExchange::ShowPortSelection() {
  const Running running(depth_);
  ShowListText<&DeviceRecord::portNumber>(record_, surface_, kIdPortList);
}

bool DataExchange::ReadBack() {
  const Running running(depth_);
  for (const ExchangeStep& step : kSteps) {
    if (!step.read(record_, surface_, step.controlId, step.limit)) {
      surface_.ShowMessageBox(LimitMessageText(step.limit), kApplicationName, MessageBoxKind::Warning);
      surface_.FocusAndSelectAll(step.controlId);
      return false;
    }
  }
  return true;
}

}  // namespace brisko
