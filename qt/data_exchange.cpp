#include "qt/data_exchange.h"

#include <cstdint>
#include <string>
#include <utility>

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "dialog/control_ids.h"
#include "qt/field_validator.h"

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

// The record holds one byte per character (Latin-1); the edits refuse what
// Latin-1 cannot hold, so the round trip is exact.
QString ToControl(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToRecord(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void ShowText(QWidget& control, const std::string& value) {
  const QString text = ToControl(value);
  if (auto* edit = qobject_cast<QLineEdit*>(&control)) {
    if (edit->text() != text) ShowFieldText(*edit, text);
  } else if (auto* label = qobject_cast<QLabel*>(&control)) {
    if (label->text() != text) label->setText(text);
  }
}

std::string ReadText(const QWidget& control) {
  if (auto* edit = qobject_cast<const QLineEdit*>(&control)) return ToRecord(edit->text());
  if (auto* label = qobject_cast<const QLabel*>(&control)) return ToRecord(label->text());
  return std::string();
}

void ShowRadioIndex(const RadioGroup& group, std::int32_t index) {
  const auto count = static_cast<std::int32_t>(group.buttons.size());
  if (index >= 0 && index < count) {
    group.buttons[static_cast<std::size_t>(index)]->setChecked(true);
    return;
  }
  // An exclusive group refuses to uncheck its last checked button.
  group.group->setExclusive(false);
  for (QRadioButton* button : group.buttons) button->setChecked(false);
  group.group->setExclusive(true);
}

std::int32_t ReadRadioIndex(const RadioGroup& group) {
  for (std::size_t i = 0; i < group.buttons.size(); ++i) {
    if (group.buttons[i]->isChecked()) return static_cast<std::int32_t>(i);
  }
  return -1;
}

// Selects the first entry that begins with the text, ignoring case; without
// a match the list stays as it was.
void SelectByPrefix(QComboBox& list, const std::string& value) {
  const QString prefix = ToControl(value);
  for (int i = 0; i < list.count(); ++i) {
    if (list.itemText(i).startsWith(prefix, Qt::CaseInsensitive)) {
      list.setCurrentIndex(i);
      return;
    }
  }
}

std::string ReadSelection(const QComboBox& list) {
  return list.currentIndex() >= 0 ? ToRecord(list.currentText()) : std::string();
}

}  // namespace

DataExchange::DataExchange(DeviceRecord& record, const DialogControls& controls, LimitMessage limitMessage)
    : record_(record), controls_(controls), limitMessage_(std::move(limitMessage)) {}

QString DataExchange::LimitMessageText(int limit) {
  return QStringLiteral("Non digitare pi\u00f9 di %1 caratteri.").arg(limit);
}

void DataExchange::Refresh() { Exchange(false); }

bool DataExchange::ReadBack() { return Exchange(true); }

bool DataExchange::Exchange(bool toRecord) {
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
  } inExchange(depth_);

  for (const ExchangeStep& step : kSteps) {
    switch (step.kind) {
      case StepKind::Text:
      case StepKind::LimitedText: {
        QWidget& control = *controls_.Control(step.controlId);
        std::string& field = record_.*step.text;
        if (!toRecord) {
          ShowText(control, field);
          if (step.kind == StepKind::LimitedText) {
            if (auto* validator = control.findChild<FieldTextValidator*>()) validator->setLimit(step.limit);
          }
          break;
        }
        field = ReadText(control);
        if (step.kind == StepKind::LimitedText && field.size() > static_cast<std::size_t>(step.limit)) {
          if (limitMessage_) limitMessage_(LimitMessageText(step.limit));
          if (auto* edit = qobject_cast<QLineEdit*>(&control)) {
            edit->setFocus();
            edit->selectAll();
          }
          return false;
        }
        break;
      }
      case StepKind::RadioIndex: {
        const RadioGroup& group = *controls_.RadioGroupOf(step.controlId);
        std::int32_t& field = record_.*step.index;
        if (toRecord) {
          field = ReadRadioIndex(group);
        } else {
          ShowRadioIndex(group, field);
        }
        break;
      }
      case StepKind::ListText: {
        auto& list = *controls_.ControlAs<QComboBox>(step.controlId);
        std::string& field = record_.*step.text;
        if (toRecord) {
          field = ReadSelection(list);
        } else {
          SelectByPrefix(list, field);
        }
        break;
      }
    }
  }
  return true;
}

}  // namespace brisko
