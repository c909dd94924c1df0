// The data exchange on Qt's widgets, through the Qt dialog's control surface:
// what only the widgets can show. An unchanged text is not set again (the
// cursor and the modified flag survive), typing stops at the limit the
// refresh set, and a radio group that Qt keeps exclusive still ends up with
// no button checked. The exchange's rules themselves are tested without a
// window in tests/dialog.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "dialog/control_ids.h"
#include "link/simulated_clock.h"
#include "link/simulated_port.h"
#include "qt/logger_dialog.h"
#include "tests/qt/qt_test_support.h"
#include "tests/support/fake_surface.h"

namespace brisko {
namespace {

class DataExchangeTest : public ::testing::Test {
 protected:
  DataExchangeTest() {
    for (int id : PortDependentControlIds()) dialog_.Control(id)->setEnabled(true);
  }

  QLineEdit& Edit(int id) { return *dialog_.ControlAs<QLineEdit>(id); }
  QRadioButton& Radio(int id) { return *dialog_.ControlAs<QRadioButton>(id); }
  DeviceRecord& record() { return dialog_.record(); }
  void Refresh() { dialog_.dialog().RefreshControls(); }
  std::vector<int> CheckedIds(int firstId, int count) {
    std::vector<int> checked;
    for (int id = firstId; id < firstId + count; ++id) {
      if (Radio(id).isChecked()) checked.push_back(id);
    }
    return checked;
  }

  SimulatedClock clock_{0, std::chrono::microseconds(0)};
  SimulatedPortSystem ports_;  // no ports: nothing opens
  testing::MemorySettings settings_;
  CLoggerDlg dialog_{settings_, ports_, clock_};
};

TEST_F(DataExchangeTest, AnUnchangedTextIsNotWrittenAgain) {
  record().pilotName = "Anna";
  Refresh();
  QLineEdit& edit = Edit(kIdPilotName);
  edit.setFocus();
  edit.setCursorPosition(1);
  edit.setModified(true);
  Refresh();
  EXPECT_EQ(edit.cursorPosition(), 1);
  EXPECT_TRUE(edit.isModified()) << "the edit was rewritten";
  record().pilotName = "Bruno";
  Refresh();
  EXPECT_FALSE(edit.isModified());
}

TEST_F(DataExchangeTest, AnExclusiveGroupEndsWithNoButtonCheckedForAValueOutsideIt) {
  struct Case {
    std::int32_t DeviceRecord::*field;
    int firstId, count;
    std::int32_t value;
    std::vector<int> checked;
  } const cases[] = {
      {&DeviceRecord::fixRateIndex, kIdFixRate1, 10, 9, {kIdFixRate1 + 9}},
      {&DeviceRecord::fixRateIndex, kIdFixRate1, 10, -1, {}},
      {&DeviceRecord::fixRateIndex, kIdFixRate1, 10, 12, {}},
      {&DeviceRecord::recordMode, kIdRecordModeNo, 4, 2, {kIdRecordModeNo + 2}},
      {&DeviceRecord::recordMode, kIdRecordModeNo, 4, 7, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.firstId << " value " << c.value);
    record().*c.field = 1;
    Refresh();
    record().*c.field = c.value;
    Refresh();
    EXPECT_EQ(CheckedIds(c.firstId, c.count), c.checked);
    EXPECT_TRUE(dialog_.dialog().ReadBackControls());
    EXPECT_EQ(record().*c.field, c.checked.empty() ? -1 : c.value);
    // The group is exclusive again: a click checks one button only.
    Radio(c.firstId).click();
    Radio(c.firstId + 1).click();
    EXPECT_EQ(CheckedIds(c.firstId, c.count), std::vector<int>{c.firstId + 1});
  }
}

TEST_F(DataExchangeTest, TypingStopsAtTheLimitSetByTheRefresh) {
  dialog_.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
  Refresh();
  const QString forty = QString(40, QLatin1Char('a'));
  QTest::keyClicks(&Edit(kIdPilotName), forty);
  QTest::keyClicks(&Edit(kIdGliderType), forty);
  EXPECT_EQ(Edit(kIdPilotName).text().size(), 31);
  EXPECT_EQ(Edit(kIdGliderType).text().size(), 15);
}

}  // namespace
}  // namespace brisko
