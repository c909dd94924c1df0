// What only Qt's widgets can show of the control surface the data exchange
// writes through: a radio group that Qt keeps exclusive still ends up with no
// button checked, and typing stops at the limit the surface set. The
// exchange's rules themselves are tested without a window in tests/dialog.
#include <chrono>
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
  CLoggerDlg dialog_{settings_, Platform{ports_, clock_, testing::StoppedClock}};
};

TEST_F(DataExchangeTest, UncheckingTheLastCheckedButtonOfAnExclusiveGroupLeavesNoneChecked) {
  for (const int firstId : {kIdFixRate1, kIdRecordModeNo}) {
    SCOPED_TRACE(firstId);
    const int count = static_cast<int>(RadioGroupIds(firstId).size());
    dialog_.SetChecked(firstId + 1, true);
    EXPECT_EQ(CheckedIds(firstId, count), std::vector<int>{firstId + 1});
    dialog_.SetChecked(firstId + 1, false);
    EXPECT_EQ(CheckedIds(firstId, count), std::vector<int>{});
    EXPECT_FALSE(dialog_.Checked(firstId + 1));
    // The group is exclusive again: a click checks one button only.
    Radio(firstId).click();
    Radio(firstId + 1).click();
    EXPECT_EQ(CheckedIds(firstId, count), std::vector<int>{firstId + 1});
  }
}

TEST_F(DataExchangeTest, TypingStopsAtTheLengthLimit) {
  dialog_.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
  dialog_.SetLengthLimit(kIdPilotName, 31);
  dialog_.SetLengthLimit(kIdGliderType, 15);
  const QString forty = QString(40, QLatin1Char('a'));
  QTest::keyClicks(&Edit(kIdPilotName), forty);
  QTest::keyClicks(&Edit(kIdGliderType), forty);
  EXPECT_EQ(Edit(kIdPilotName).text().size(), 31);
  EXPECT_EQ(Edit(kIdGliderType).text().size(), 15);
}

}  // namespace
}  // namespace brisko
