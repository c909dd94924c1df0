// The exchange between the device record and the main dialog's controls,
// run against a record directly: texts both ways, the length limits and what
// a failed read-back leaves alone, radio indexes, and the port list's prefix
// selection.
#include <string>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/qt/qt_test_support.h"
#include "dialog/control_ids.h"
#include "qt/data_exchange.h"
#include "qt/template_dialog.h"

namespace brisko {
namespace {

class DataExchangeTest : public ::testing::Test {
 protected:
  DataExchangeTest()
      : dialog_(MainDialogTemplate(), nullptr),
        exchange_(record_, dialog_.controls(), [this](const QString& message) { messages_.push_back(message); }) {
    for (int id : PortDependentControlIds()) dialog_.Control(id)->setEnabled(true);
  }

  QLineEdit& Edit(int id) { return *dialog_.ControlAs<QLineEdit>(id); }
  QString Shown(int id) {
    if (auto* label = dialog_.ControlAs<QLabel>(id)) return label->text();
    return Edit(id).text();
  }
  QRadioButton& Radio(int id) { return *dialog_.ControlAs<QRadioButton>(id); }
  QComboBox& PortList() { return *dialog_.ControlAs<QComboBox>(kIdPortList); }
  std::vector<int> CheckedIds(int firstId, int count) {
    std::vector<int> checked;
    for (int id = firstId; id < firstId + count; ++id) {
      if (Radio(id).isChecked()) checked.push_back(id);
    }
    return checked;
  }

  DeviceRecord record_;
  TemplateDialog dialog_;
  std::vector<QString> messages_;
  DataExchange exchange_;
};

struct TextBinding {
  std::string DeviceRecord::*field;
  int controlId;
};

const TextBinding kTextBindings[] = {
    {&DeviceRecord::serialNumber, kIdSerialNumber},   {&DeviceRecord::firmwareRev, kIdFirmwareRev},
    {&DeviceRecord::hardwareRev, kIdHardwareRev},     {&DeviceRecord::portStatus, kIdPortStatus},
    {&DeviceRecord::gpsFixLine, kIdGpsFixLine},       {&DeviceRecord::pilotName, kIdPilotName},
    {&DeviceRecord::competitionClass, kIdCompetitionClass}, {&DeviceRecord::competitionId, kIdCompetitionId},
    {&DeviceRecord::gliderType, kIdGliderType},       {&DeviceRecord::gliderId, kIdGliderId},
    {&DeviceRecord::sealStatus, kIdSealStatus},       {&DeviceRecord::temperature, kIdTemperature},
    {&DeviceRecord::humidity, kIdHumidity},           {&DeviceRecord::inputVoltage, kIdInputVoltage},
};

TEST_F(DataExchangeTest, EveryTextFieldReachesItsControlAndComesBack) {
  int n = 0;
  for (const auto& binding : kTextBindings) record_.*binding.field = "v" + std::to_string(++n) + "\xE9";
  exchange_.Refresh();
  n = 0;
  for (const auto& binding : kTextBindings) {
    EXPECT_EQ(Shown(binding.controlId), QStringLiteral("v%1\u00e9").arg(++n)) << binding.controlId;
  }

  for (const auto& binding : kTextBindings) record_.*binding.field = "stale";
  EXPECT_TRUE(exchange_.ReadBack());
  n = 0;
  for (const auto& binding : kTextBindings) {
    // Latin-1 bytes survive the round trip unchanged.
    EXPECT_EQ(record_.*binding.field, "v" + std::to_string(++n) + "\xE9") << binding.controlId;
  }
}

TEST_F(DataExchangeTest, AnUnchangedTextIsNotWrittenAgain) {
  record_.pilotName = "Anna";
  exchange_.Refresh();
  QLineEdit& edit = Edit(kIdPilotName);
  edit.setFocus();
  edit.setCursorPosition(1);
  edit.setModified(true);
  exchange_.Refresh();
  EXPECT_EQ(edit.cursorPosition(), 1);
  EXPECT_TRUE(edit.isModified()) << "the edit was rewritten";
  record_.pilotName = "Bruno";
  exchange_.Refresh();
  EXPECT_FALSE(edit.isModified());
}

TEST_F(DataExchangeTest, RadioIndexChecksOneButtonOrNoneAndReadsBackMinusOne) {
  struct Case {
    std::int32_t DeviceRecord::*field;
    int firstId, count;
    std::int32_t value;
    std::vector<int> checked;
    std::int32_t readBack;
  } const cases[] = {
      {&DeviceRecord::fixRateIndex, kIdFixRate1, 10, 0, {kIdFixRate1}, 0},
      {&DeviceRecord::fixRateIndex, kIdFixRate1, 10, 9, {kIdFixRate1 + 9}, 9},
      {&DeviceRecord::fixRateIndex, kIdFixRate1, 10, -1, {}, -1},
      {&DeviceRecord::fixRateIndex, kIdFixRate1, 10, 10, {}, -1},
      {&DeviceRecord::fixRateIndex, kIdFixRate1, 10, 12, {}, -1},
      {&DeviceRecord::recordMode, kIdRecordModeNo, 4, 2, {kIdRecordModeNo + 2}, 2},
      {&DeviceRecord::recordMode, kIdRecordModeNo, 4, 3, {kIdRecordModeNo + 3}, 3},
      {&DeviceRecord::recordMode, kIdRecordModeNo, 4, 7, {}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.firstId << " value " << c.value);
    // Start from a checked button: an out-of-range value must clear it.
    record_.*c.field = 1;
    exchange_.Refresh();
    record_.*c.field = c.value;
    exchange_.Refresh();
    EXPECT_EQ(CheckedIds(c.firstId, c.count), c.checked);
    EXPECT_TRUE(exchange_.ReadBack());
    EXPECT_EQ(record_.*c.field, c.readBack);
  }
}

TEST_F(DataExchangeTest, PortListSelectsTheFirstEntryThatBeginsWithThePortNumber) {
  struct Case {
    std::vector<QString> entries;
    int preselected;
    std::string portNumber;
    QString selected;       // "" : nothing selected
    std::string readBack;
  } const cases[] = {
      {{"1", "3", "10"}, -1, "1", "1", "1"},
      {{"3", "10"}, -1, "1", "10", "10"},  // a prefix match: the next read-back stores "10"
      {{"1", "3", "10"}, -1, "3", "3", "3"},
      {{"1", "3"}, 1, "3\n", "3", "3"},     // no match: the list stays as it was
      {{"1", "3"}, -1, "7", "", ""},
      {{"Com1", "COM2"}, -1, "com2", "COM2", "COM2"},
      {{}, -1, "3", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.portNumber);
    PortList().clear();
    for (const QString& entry : c.entries) PortList().addItem(entry);
    PortList().setCurrentIndex(c.preselected);
    record_.portNumber = c.portNumber;
    exchange_.Refresh();
    EXPECT_EQ(PortList().currentIndex() >= 0 ? PortList().currentText() : QString(), c.selected);
    EXPECT_TRUE(exchange_.ReadBack());
    EXPECT_EQ(record_.portNumber, c.readBack);
  }
}

TEST_F(DataExchangeTest, AnOverlongTextFromTheLoggerIsShownWholeButFailsTheReadBack) {
  struct Case {
    std::string DeviceRecord::*field;
    int controlId;
    int limit;
  } const cases[] = {
      {&DeviceRecord::pilotName, kIdPilotName, 31},        {&DeviceRecord::competitionClass, kIdCompetitionClass, 15},
      {&DeviceRecord::competitionId, kIdCompetitionId, 15}, {&DeviceRecord::gliderType, kIdGliderType, 15},
      {&DeviceRecord::gliderId, kIdGliderId, 15},
  };
  dialog_.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.controlId);
    record_ = DeviceRecord();
    record_.serialNumber = "NT1";
    record_.*c.field = std::string(static_cast<std::size_t>(c.limit + 1), 'x');
    record_.fixRateIndex = 4;
    PortList().clear();
    PortList().addItem("5");
    record_.portNumber = "5";
    exchange_.Refresh();
    EXPECT_EQ(Edit(c.controlId).text().size(), c.limit + 1) << "a refresh must not cut the text";

    // What the user changed meanwhile: a field before the edit and the ones after it.
    dialog_.ControlAs<QLabel>(kIdSerialNumber)->setText("NT2");
    Radio(kIdFixRate1).setChecked(true);
    PortList().clear();
    record_.*c.field = "old";
    messages_.clear();

    EXPECT_FALSE(exchange_.ReadBack());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], DataExchange::LimitMessageText(c.limit));
    EXPECT_EQ(messages_[0], QStringLiteral("Non digitare pi\u00f9 di %1 caratteri.").arg(c.limit));
    EXPECT_EQ(record_.serialNumber, "NT2") << "steps before the edit take effect";
    EXPECT_EQ(record_.*c.field, std::string(static_cast<std::size_t>(c.limit + 1), 'x'));
    EXPECT_EQ(record_.fixRateIndex, 4) << "steps after the edit must not run";
    EXPECT_EQ(record_.portNumber, "5");
    EXPECT_EQ(QApplication::focusWidget(), &Edit(c.controlId));
    EXPECT_EQ(Edit(c.controlId).selectedText(), Edit(c.controlId).text());
  }
}

TEST_F(DataExchangeTest, TextsAtTheirLimitReadBack) {
  record_.pilotName = std::string(31, 'p');
  record_.competitionClass = std::string(15, 'c');
  record_.gliderId = std::string(15, 'g');
  exchange_.Refresh();
  EXPECT_TRUE(exchange_.ReadBack());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(DataExchangeTest, TypingStopsAtTheLimitSetByTheRefresh) {
  dialog_.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
  exchange_.Refresh();
  const QString forty = QString(40, QLatin1Char('a'));
  QTest::keyClicks(&Edit(kIdPilotName), forty);
  QTest::keyClicks(&Edit(kIdGliderType), forty);
  EXPECT_EQ(Edit(kIdPilotName).text().size(), 31);
  EXPECT_EQ(Edit(kIdGliderType).text().size(), 15);
}

TEST_F(DataExchangeTest, NotificationsDuringARefreshSeeTheExchangeRunning) {
  std::vector<bool> duringExchange;
  QObject::connect(&Edit(kIdPilotName), &QLineEdit::textChanged,
                   [&] { duringExchange.push_back(exchange_.InProgress()); });
  QObject::connect(&Radio(kIdFixRate1 + 1), &QRadioButton::toggled, [&] { duringExchange.push_back(exchange_.InProgress()); });
  record_.pilotName = "Carla";
  record_.fixRateIndex = 1;
  exchange_.Refresh();
  EXPECT_EQ(duringExchange, (std::vector<bool>{true, true}));
  EXPECT_FALSE(exchange_.InProgress());
}

}  // namespace
}  // namespace brisko
