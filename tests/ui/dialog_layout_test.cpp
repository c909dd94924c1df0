// The main dialog's controls as the template describes them: kind, text,
// position and size in dialog units, the disabled ones, the tab order and the
// radio groups; and the conversion from dialog units to pixels.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/ui/qt_test_support.h"
#include "ui/control_ids.h"
#include "ui/delete_flight_dialog.h"
#include "ui/template_dialog.h"

namespace brisko {
namespace {

TEST(DialogUnitsTest, ScaleByBaseUnitsAndRoundHalfUp) {
  struct Case {
    int baseX, baseY, dialogUnits, expectedX, expectedY;
  } const cases[] = {
      {6, 13, 259, 389, 421},  // 1554/4 = 388.5 rounds up; 3367/8 = 420.875
      {6, 13, 286, 429, 465},  // 464.75 rounds up
      {6, 13, 0, 0, 0},
      {7, 16, 4, 7, 8},
      {8, 16, 1, 2, 2},
  };
  for (const Case& c : cases) {
    const DialogUnits units(c.baseX, c.baseY);
    EXPECT_EQ(units.X(c.dialogUnits), c.expectedX) << c.baseX << " x " << c.dialogUnits;
    EXPECT_EQ(units.Y(c.dialogUnits), c.expectedY) << c.baseY << " y " << c.dialogUnits;
  }
}

TEST(DialogUnitsTest, NeighboursThatShareAnEdgeShareItInPixels) {
  const DialogUnits units(6, 13);
  // "Competition Class:" ends at x 65; its edit starts at 70. Two controls
  // that touch in dialog units must touch in pixels whatever the rounding.
  const QRect left = units.Rect(5, 155, 61, 8);
  const QRect right = units.Rect(66, 155, 10, 8);
  EXPECT_EQ(left.right() + 1, right.left());
}

TEST(DialogUnitsTest, BaseUnitsGrowWithTheFont) {
  const DialogUnits small = DialogUnits::ForFont(DialogFont(8));
  const DialogUnits large = DialogUnits::ForFont(DialogFont(16));
  EXPECT_GT(small.baseX(), 2);
  EXPECT_GT(small.baseY(), 6);
  EXPECT_GT(large.baseX(), small.baseX());
  EXPECT_GT(large.baseY(), small.baseY());
}

// The 47 controls, transcribed from the dialog's layout.
struct Row {
  const char* objectName;
  const char* className;
  const char* text;
  int x, y, width, height;
  bool disabled;
  bool tabStop;
};

const Row kMainRows[] = {
    {"id1041", "QGroupBox", "Temp/Humid Record", 5, 90, 250, 30, false, false},
    {"id1037", "QRadioButton", "No", 15, 105, 25, 10, false, false},
    {"id1038", "QRadioButton", "100mt", 70, 105, 35, 10, false, false},
    {"id1039", "QRadioButton", "10mt", 135, 105, 31, 10, false, false},
    {"id1040", "QRadioButton", "10sec", 205, 105, 35, 10, false, false},
    {"static6", "QLabel", "Pilot Name:", 25, 135, 40, 8, false, false},
    {"id1019", "QRadioButton", "1", 10, 240, 20, 10, true, false},
    {"id1020", "QRadioButton", "2", 35, 240, 20, 10, true, false},
    {"id1021", "QRadioButton", "3", 60, 240, 20, 10, true, false},
    {"id1022", "QRadioButton", "4", 85, 240, 20, 10, true, false},
    {"id1023", "QRadioButton", "5", 110, 240, 20, 10, true, false},
    {"id1024", "QRadioButton", "6", 135, 240, 20, 10, true, false},
    {"id1025", "QRadioButton", "7", 160, 240, 20, 10, true, false},
    {"id1026", "QRadioButton", "8", 185, 240, 20, 10, true, false},
    {"id1027", "QRadioButton", "9", 210, 240, 20, 10, true, false},
    {"id1028", "QRadioButton", "10", 230, 240, 20, 10, true, false},
    {"static17", "QGroupBox", "Fix Rate (sec)", 5, 230, 250, 25, false, false},
    {"id2", "QPushButton", "&Exit", 205, 260, 50, 20, false, true},
    {"static19", "QLabel", "S/N:", 5, 55, 20, 8, false, false},
    {"static20", "QLabel", "Rev.Hardware:", 75, 55, 55, 8, false, false},
    {"static21", "QLabel", "Rev.Firmware:", 175, 55, 50, 8, false, false},
    {"id1000", "QLabel", "", 30, 55, 40, 10, false, false},
    {"id1001", "QLabel", "", 135, 55, 25, 10, false, false},
    {"id1002", "QLabel", "", 230, 55, 25, 10, false, false},
    {"id1009", "QLabel", "", 5, 35, 60, 10, false, false},
    {"id1010", "QLabel", "", 70, 35, 185, 10, false, false},
    {"id1011", "QLineEdit", "", 70, 130, 185, 14, true, true},
    {"static28", "QLabel", "Competition Class:", 5, 155, 60, 8, false, false},
    {"id1012", "QLineEdit", "", 70, 150, 105, 14, true, true},
    {"static30", "QLabel", "Competition ID", 5, 175, 60, 8, false, false},
    {"id1013", "QLineEdit", "", 70, 170, 105, 14, true, true},
    {"static32", "QLabel", "Glider Type", 5, 195, 60, 8, false, false},
    {"static33", "QLabel", "Glider ID", 5, 215, 60, 8, false, false},
    {"id1014", "QLineEdit", "", 70, 190, 105, 14, true, true},
    {"id1015", "QLineEdit", "", 70, 210, 105, 14, true, true},
    {"id1018", "QPushButton", "&Set", 5, 260, 50, 20, true, true},
    {"id1029", "QLabel", "", 30, 75, 40, 10, false, false},
    {"static38", "QLabel", "Humidity", 85, 75, 45, 8, false, false},
    {"id1030", "QLabel", "", 135, 75, 25, 10, false, false},
    {"static40", "QLabel", "Temp:", 180, 75, 45, 8, false, false},
    {"id1031", "QLabel", "", 230, 75, 25, 10, false, false},
    {"static42", "QLabel", "Status:", 0, 75, 25, 8, false, false},
    {"id1032", "QPushButton", "&Delete all flights", 102, 260, 55, 20, true, true},
    {"id1033", "QComboBox", "", 45, 10, 48, 80, false, true},
    {"static45", "QLabel", "Open Com:", 5, 15, 35, 8, false, false},
    {"static46", "QLabel", "Vin:", 175, 10, 45, 8, false, false},
    {"id1034", "QLabel", "", 230, 10, 25, 10, false, false},
};

QString TextOf(const QWidget& widget) {
  if (auto* button = qobject_cast<const QAbstractButton*>(&widget)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(&widget)) return label->text();
  if (auto* box = qobject_cast<const QGroupBox*>(&widget)) return box->title();
  if (auto* edit = qobject_cast<const QLineEdit*>(&widget)) return edit->text();
  return QString();
}

void ExpectRowsMatch(const TemplateDialog& dialog, const Row* rows, int count) {
  ASSERT_EQ(dialog.controls().size(), count);
  const DialogUnits& units = dialog.units();
  for (int i = 0; i < count; ++i) {
    const Row& row = rows[i];
    const QWidget& widget = *dialog.controls().At(i);
    SCOPED_TRACE(row.objectName);
    EXPECT_EQ(widget.objectName(), QLatin1String(row.objectName));
    EXPECT_STREQ(widget.metaObject()->className(), row.className);
    EXPECT_EQ(TextOf(widget), QLatin1String(row.text));
    const QRect expected = units.Rect(row.x, row.y, row.width, row.height);
    if (qobject_cast<const QComboBox*>(&widget) != nullptr) {
      // The closed drop-down list keeps its natural height inside the
      // template's height, which includes the dropped list.
      EXPECT_EQ(widget.geometry().topLeft(), expected.topLeft());
      EXPECT_EQ(widget.width(), expected.width());
      EXPECT_LE(widget.height(), expected.height());
    } else {
      EXPECT_EQ(widget.geometry(), expected);
    }
    EXPECT_EQ(widget.isEnabled(), !row.disabled);
    EXPECT_EQ(bool(widget.focusPolicy() & Qt::TabFocus), row.tabStop);
  }
}

TEST(MainDialogLayoutTest, ControlsMatchTheLayoutTable) {
  TemplateDialog dialog(MainDialogTemplate(), nullptr);
  ExpectRowsMatch(dialog, kMainRows, static_cast<int>(std::size(kMainRows)));
}

TEST(MainDialogLayoutTest, DeleteFlightControlsMatchTheirTable) {
  const Row rows[] = {
      {"id2", "QPushButton", "Cancel", 130, 180, 50, 14, false, true},
      {"id1035", "QListWidget", "", 5, 5, 175, 165, false, true},
      {"id1036", "QPushButton", "&Delete", 5, 180, 50, 14, false, true},
  };
  CDeleteFlightDlg dialog(nullptr);
  ExpectRowsMatch(dialog, rows, 3);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Delete flight"));
  EXPECT_EQ(dialog.size(), QSize(dialog.units().X(186), dialog.units().Y(201)));
}

TEST(MainDialogLayoutTest, FixedSizeCaptionWithoutMinimiseOrMaximise) {
  TemplateDialog dialog(MainDialogTemplate(), nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Brisko 1.8"));
  const QSize client(dialog.units().X(259), dialog.units().Y(286));
  EXPECT_EQ(dialog.size(), client);
  EXPECT_EQ(dialog.minimumSize(), client);
  EXPECT_EQ(dialog.maximumSize(), client);
  const Qt::WindowFlags flags = dialog.windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
}

std::vector<QString> TabWalk(TemplateDialog& dialog, int steps) {
  std::vector<QString> visited;
  dialog.Control(kCommandCancel)->setFocus();
  for (int i = 0; i < steps; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited.push_back(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
  }
  return visited;
}

TEST(MainDialogLayoutTest, TabVisitsTabStopsInTemplateOrderOnly) {
  TemplateDialog dialog(MainDialogTemplate(), nullptr);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

  // Disabled controls are skipped: as created, only the port list is left.
  EXPECT_EQ(TabWalk(dialog, 2), (std::vector<QString>{"id1033", "id2"}));

  for (int id : PortDependentControlIds()) dialog.Control(id)->setEnabled(true);
  EXPECT_EQ(TabWalk(dialog, 9), (std::vector<QString>{"id1011", "id1012", "id1013", "id1014", "id1015", "id1018",
                                                      "id1032", "id1033", "id2"}));
}

TEST(MainDialogLayoutTest, RadioGroupsFollowTheGroupStarts) {
  TemplateDialog dialog(MainDialogTemplate(), nullptr);
  const struct {
    int firstId;
    int count;
  } groups[] = {{kIdRecordModeNo, 4}, {kIdFixRate1, 10}};
  for (const auto& expected : groups) {
    const RadioGroup* group = dialog.controls().RadioGroupOf(expected.firstId);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(static_cast<int>(group->buttons.size()), expected.count);
    for (int i = 0; i < expected.count; ++i) {
      EXPECT_EQ(group->buttons[static_cast<std::size_t>(i)], dialog.Control(expected.firstId + i));
    }
  }
  // Only the first button of a group starts one.
  EXPECT_EQ(dialog.controls().RadioGroupOf(1038), nullptr);
  EXPECT_EQ(dialog.controls().RadioGroupOf(1020), nullptr);
}

TEST(MainDialogLayoutTest, ClicksReachButtonsInsideGroupBoxesAndGroupsStayApart) {
  TemplateDialog dialog(MainDialogTemplate(), nullptr);
  for (int id : PortDependentControlIds()) dialog.Control(id)->setEnabled(true);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

  auto* tenSeconds = dialog.ControlAs<QRadioButton>(1040);
  auto* fixRate10 = dialog.ControlAs<QRadioButton>(1028);
  auto* fixRate1 = dialog.ControlAs<QRadioButton>(1019);
  // The group boxes lie over these buttons; the clicks must go through.
  QTest::mouseClick(tenSeconds, Qt::LeftButton, {}, QPoint(4, tenSeconds->height() / 2));
  QTest::mouseClick(fixRate10, Qt::LeftButton, {}, QPoint(4, fixRate10->height() / 2));
  EXPECT_TRUE(tenSeconds->isChecked());
  EXPECT_TRUE(fixRate10->isChecked());
  QTest::mouseClick(fixRate1, Qt::LeftButton, {}, QPoint(4, fixRate1->height() / 2));
  EXPECT_TRUE(fixRate1->isChecked());
  EXPECT_FALSE(fixRate10->isChecked());
  EXPECT_TRUE(tenSeconds->isChecked()) << "a click in one group unchecked the other group";
}

TEST(MainDialogLayoutTest, ShownCentredInTheWorkArea) {
  TemplateDialog dialog(MainDialogTemplate(), nullptr);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  const QRect area = dialog.screen()->availableGeometry();
  const QPoint offset = dialog.frameGeometry().center() - area.center();
  EXPECT_LE(std::abs(offset.x()), 2);
  EXPECT_LE(std::abs(offset.y()), 2);
}

}  // namespace
}  // namespace brisko
