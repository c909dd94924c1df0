#include "dialog/data_exchange.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dialog/application_name.h"
#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"

namespace brisko {

namespace {

enum class StepKind { Text, LimitedText, RadioIndex, ListText };

struct ExchangeStep {
  StepKind kind;
  int controlId;  // for a radio index: the group's first button
  std::string DeviceRecord::*text;
  std::int32_t DeviceRecord::*index;
  int limit;
};

// The one order of both directions. A read-back that fails at an edit leaves
// every field after it, the port number among them, as it was.
const ExchangeStep kSteps[] = {
    {StepKind::Text, kIdSerialNumber, &DeviceRecord::serialNumber, nullptr, 0},
    {StepKind::Text, kIdFirmwareRev, &DeviceRecord::firmwareRev, nullptr, 0},
    {StepKind::Text, kIdHardwareRev, &DeviceRecord::hardwareRev, nullptr, 0},
    {StepKind::Text, kIdPortStatus, &DeviceRecord::portStatus, nullptr, 0},
    {StepKind::Text, kIdGpsFixLine, &DeviceRecord::gpsFixLine, nullptr, 0},
    {StepKind::LimitedText, kIdPilotName, &DeviceRecord::pilotName, nullptr, 31},
    {StepKind::LimitedText, kIdCompetitionClass, &DeviceRecord::competitionClass, nullptr, 15},
    {StepKind::LimitedText, kIdCompetitionId, &DeviceRecord::competitionId, nullptr, 15},
    {StepKind::LimitedText, kIdGliderType, &DeviceRecord::gliderType, nullptr, 15},
    {StepKind::LimitedText, kIdGliderId, &DeviceRecord::gliderId, nullptr, 15},
    {StepKind::RadioIndex, kIdFixRate1, nullptr, &DeviceRecord::fixRateIndex, 0},
    {StepKind::Text, kIdSealStatus, &DeviceRecord::sealStatus, nullptr, 0},
    {StepKind::ListText, kIdPortList, &DeviceRecord::portNumber, nullptr, 0},
    {StepKind::Text, kIdTemperature, &DeviceRecord::temperature, nullptr, 0},
    {StepKind::Text, kIdHumidity, &DeviceRecord::humidity, nullptr, 0},
    {StepKind::RadioIndex, kIdRecordModeNo, nullptr, &DeviceRecord::recordMode, 0},
    {StepKind::Text, kIdInputVoltage, &DeviceRecord::inputVoltage, nullptr, 0},
};

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

// Case folding for Latin-1 letters, as the list compares its entries.
unsigned char FoldCase(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 'A' && byte <= 'Z') return static_cast<unsigned char>(byte + 0x20);
  if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) return static_cast<unsigned char>(byte + 0x20);
  return byte;
}

bool BeginsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (FoldCase(text[i]) != FoldCase(prefix[i])) return false;
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

std::string ReadSelection(const ControlSurface& surface, int listId) {
  const int selected = surface.ListSelection(listId);
  return selected >= 0 ? surface.ListEntry(listId, selected) : std::string();
}

}  // namespace

DataExchange::DataExchange(DeviceRecord& record, ControlSurface& surface) : record_(record), surface_(surface) {}

std::string DataExchange::LimitMessageText(int limit) {
  return "Non digitare pi\xF9 di " + std::to_string(limit) + " caratteri.";
}

void DataExchange::Refresh() { Exchange(false); }

bool DataExchange::ReadBack() { return Exchange(true); }

bool DataExchange::Exchange(bool toRecord) {
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;
  } inExchange(depth_);

  for (const ExchangeStep& step : kSteps) {
    switch (step.kind) {
      case StepKind::Text:
      case StepKind::LimitedText: {
        std::string& field = record_.*step.text;
        if (!toRecord) {
          if (surface_.Text(step.controlId) != field) surface_.SetText(step.controlId, field);
          if (step.kind == StepKind::LimitedText) surface_.SetLengthLimit(step.controlId, step.limit);
          break;
        }
        field = surface_.Text(step.controlId);
        if (step.kind == StepKind::LimitedText && field.size() > static_cast<std::size_t>(step.limit)) {
          surface_.ShowMessageBox(LimitMessageText(step.limit), kApplicationName, MessageBoxKind::Warning);
          surface_.FocusAndSelectAll(step.controlId);
          return false;
        }
        break;
      }
      case StepKind::RadioIndex: {
        const std::vector<int>& group = RadioGroupIds(step.controlId);
        std::int32_t& field = record_.*step.index;
        if (toRecord) {
          field = ReadRadioIndex(surface_, group);
        } else {
          ShowRadioIndex(surface_, group, field);
        }
        break;
      }
      case StepKind::ListText: {
        std::string& field = record_.*step.text;
        if (toRecord) {
          field = ReadSelection(surface_, step.controlId);
        } else {
          SelectByPrefix(surface_, step.controlId, field);
        }
        break;
      }
    }
  }
  return true;
}

}  // namespace brisko
