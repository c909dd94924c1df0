// The "Delete flight" dialog: an empty list, a "&Delete" that does nothing,
// and every way out closes it with the result of the command that ended it.
#include <functional>

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "dialog/control_ids.h"
#include "qt/delete_flight_dialog.h"
#include "tests/qt/qt_test_support.h"

namespace brisko {
namespace {

TEST(DeleteFlightDialogTest, OpensWithAnEmptyListAndDeleteDoesNothing) {
  QtDeleteFlightDialog dialog(nullptr);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  EXPECT_EQ(dialog.ControlAs<QListWidget>(kIdFlightList)->count(), 0);
  EXPECT_EQ(QApplication::focusWidget(), dialog.Control(kCommandCancel)) << "the first tab stop";
  QSignalSpy finished(&dialog, &QDialog::finished);
  QTest::mouseClick(dialog.ControlAs<QPushButton>(kIdDeleteFlight), Qt::LeftButton);
  EXPECT_TRUE(dialog.isVisible());
  // Escape behind it: the dialog ends once, and by the Escape.
  QTest::keyClick(&dialog, Qt::Key_Escape);
  ASSERT_TRUE(test::WaitFor([&] { return !dialog.isVisible(); }));
  ASSERT_EQ(finished.count(), 1);
  EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Rejected);
}

TEST(DeleteFlightDialogTest, EveryWayOutClosesItWithItsCommand) {
  struct Case {
    const char* name;
    std::function<void(QtDeleteFlightDialog&)> act;
    int result;
  } const cases[] = {
      {"Enter at once, on Cancel", [](QtDeleteFlightDialog& d) { QTest::keyClick(&d, Qt::Key_Return); },
       QDialog::Rejected},
      {"Cancel", [](QtDeleteFlightDialog& d) { QTest::mouseClick(d.ControlAs<QPushButton>(kCommandCancel), Qt::LeftButton); },
       QDialog::Rejected},
      {"Escape", [](QtDeleteFlightDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, QDialog::Rejected},
      {"close box", [](QtDeleteFlightDialog& d) { d.close(); }, QDialog::Rejected},
      {"Enter in the list",
       [](QtDeleteFlightDialog& d) {
         d.Control(kIdFlightList)->setFocus();
         QTest::keyClick(d.Control(kIdFlightList), Qt::Key_Return);
       },
       QDialog::Accepted},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QtDeleteFlightDialog dialog(nullptr);
    dialog.setResult(-1);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    c.act(dialog);
    EXPECT_TRUE(test::WaitFor([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), c.result);
  }
}

}  // namespace
}  // namespace brisko
