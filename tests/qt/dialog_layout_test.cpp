// The dialogs as built from their templates: each control made from its row,
// inside the client area, with its own id, overlapping no neighbour that its
// row keeps apart; the tab order and the radio groups as the flags say; and
// the conversion from dialog units to pixels.
#include <QAbstractButton>
#include <QAccessible>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "qt/template_dialog.h"
#include "tests/qt/qt_test_support.h"

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

QString TextOf(const QWidget& widget) {
  if (auto* button = qobject_cast<const QAbstractButton*>(&widget)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(&widget)) return label->text();
  if (auto* box = qobject_cast<const QGroupBox*>(&widget)) return box->title();
  if (auto* edit = qobject_cast<const QLineEdit*>(&widget)) return edit->text();
  return QString();
}

// What the user does with each kind of control, tried on the shown, enabled
// widget: typing, a click that stays or not, a choice by arrow key, a sorted
// list; everything else only shows.
void ExpectTakesTheInputOfItsKind(QWidget& widget, const ControlTemplate& row) {
  QString typed = QStringLiteral("Ab");
  switch (row.kind) {
    case ControlKind::Edit:
      QTest::keyClicks(&widget, typed);
      EXPECT_TRUE(TextOf(widget).endsWith(typed)) << TextOf(widget).toStdString();
      return;
    case ControlKind::RadioButton:
    case ControlKind::PushButton: {
      auto* button = qobject_cast<QAbstractButton*>(&widget);
      ASSERT_NE(button, nullptr);
      QSignalSpy clicked(button, &QAbstractButton::clicked);
      QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
      EXPECT_EQ(clicked.count(), 1);
      EXPECT_EQ(button->isChecked(), row.kind == ControlKind::RadioButton);
      return;
    }
    case ControlKind::DropDownList: {
      auto* list = qobject_cast<QComboBox*>(&widget);
      ASSERT_NE(list, nullptr);
      EXPECT_FALSE(list->isEditable());
      list->addItems({QStringLiteral("3"), QStringLiteral("5")});
      list->setCurrentIndex(0);
      QTest::keyClick(list, Qt::Key_Down);
      EXPECT_EQ(list->currentText(), QStringLiteral("5"));
      return;
    }
    case ControlKind::ListBox: {
      auto* list = qobject_cast<QListWidget*>(&widget);
      ASSERT_NE(list, nullptr);
      list->addItems({QStringLiteral("2026-07-02"), QStringLiteral("2026-06-30")});
      EXPECT_EQ(list->item(0)->text(), QStringLiteral("2026-06-30"));
      return;
    }
    default:
      EXPECT_EQ(widget.focusPolicy(), Qt::NoFocus);
      typed = TextOf(widget);
      QTest::keyClicks(&widget, QStringLiteral("x"));
      EXPECT_EQ(TextOf(widget), typed);
      return;
  }
}

QRect UnitRect(const ControlTemplate& row) { return QRect(row.x, row.y, row.width, row.height); }

// The closed drop-down list keeps its natural height inside the template's
// height, which includes the dropped list: its top edge, left edge and width
// follow the template, its height stays within it.
void ExpectPlacedAsTemplated(const QWidget& widget, const QRect& expected) {
  if (qobject_cast<const QComboBox*>(&widget) != nullptr) {
    EXPECT_EQ(widget.geometry().topLeft(), expected.topLeft());
    EXPECT_EQ(widget.width(), expected.width());
    EXPECT_LE(widget.height(), expected.height());
  } else {
    EXPECT_EQ(widget.geometry(), expected);
  }
}

// Each control is made from its row: its text, place in pixels, the disabled
// flag, its id reaches it, and it takes the input of its kind (the tab stops
// are the Tab key's test).
void ExpectControlsFollowTheirRows(TemplateDialog& dialog, const DialogTemplate& layout) {
  ASSERT_EQ(dialog.controls().size(), static_cast<int>(layout.controls.size()));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const ControlTemplate& row = layout.controls[i];
    QWidget& widget = *dialog.controls().At(static_cast<int>(i));
    SCOPED_TRACE("control " + std::to_string(i + 1) + ", id " + std::to_string(row.id));
    EXPECT_EQ(TextOf(widget), QString::fromUtf8(row.text));
    ExpectPlacedAsTemplated(widget, dialog.units().Rect(row.x, row.y, row.width, row.height));
    EXPECT_EQ(widget.isEnabled(), (row.flags & kDisabled) == 0);
    if (row.id != -1) {
      EXPECT_EQ(dialog.Control(row.id), &widget);
    }
    widget.setEnabled(true);
    ExpectTakesTheInputOfItsKind(widget, row);
  }
}

// Every control inside the client area, in dialog units and in pixels.
void ExpectInsideTheClientArea(const TemplateDialog& dialog, const DialogTemplate& layout) {
  const QRect client(0, 0, layout.width, layout.height);
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const ControlTemplate& row = layout.controls[i];
    const QWidget& widget = *dialog.controls().At(static_cast<int>(i));
    EXPECT_TRUE(client.contains(UnitRect(row))) << "control " << i + 1 << ", id " << row.id;
    EXPECT_TRUE(dialog.rect().contains(widget.geometry())) << "control " << i + 1 << ", id " << row.id;
  }
}

// Ids address one control each; unaddressed controls share -1.
void ExpectUniqueIds(const TemplateDialog& dialog, const DialogTemplate& layout) {
  std::set<int> ids;
  std::set<QString> names;
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const int id = layout.controls[i].id;
    if (id != -1) {
      EXPECT_TRUE(ids.insert(id).second) << "id " << id << " twice";
    }
    const QString name = dialog.controls().At(static_cast<int>(i))->objectName();
    EXPECT_TRUE(names.insert(name).second) << name.toStdString() << " twice";
  }
}

// Two controls whose rows do not overlap do not overlap on the screen either,
// whatever the rounding from dialog units to pixels.
void ExpectNoNewOverlaps(const TemplateDialog& dialog, const DialogTemplate& layout) {
  int apart = 0;
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    for (std::size_t j = i + 1; j < layout.controls.size(); ++j) {
      if (UnitRect(layout.controls[i]).intersects(UnitRect(layout.controls[j]))) continue;
      ++apart;
      const QRect a = dialog.controls().At(static_cast<int>(i))->geometry();
      const QRect b = dialog.controls().At(static_cast<int>(j))->geometry();
      EXPECT_FALSE(a.intersects(b)) << "controls " << i + 1 << " and " << j + 1;
    }
  }
  EXPECT_GT(apart, 0);
}

struct LayoutCase {
  const char* name;
  const DialogTemplate& (*layout)();
  std::size_t controlCount;
};

const LayoutCase kLayouts[] = {
    {"main", MainDialogTemplate, 47},
    {"deleteFlight", DeleteFlightTemplate, 3},
};

// Each dialog: its title, a fixed client size with a close box and no
// minimise, maximise or help box, and its controls as the rules above say.
TEST(DialogLayoutTest, DialogsFollowTheRulesOfTheirTemplate) {
  for (const LayoutCase& c : kLayouts) {
    SCOPED_TRACE(c.name);
    const DialogTemplate& layout = c.layout();
    ASSERT_EQ(layout.controls.size(), c.controlCount);
    TemplateDialog dialog(layout, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(layout.title));
    const QSize client(dialog.units().X(layout.width), dialog.units().Y(layout.height));
    EXPECT_EQ(dialog.size(), client);
    EXPECT_EQ(dialog.minimumSize(), client);
    EXPECT_EQ(dialog.maximumSize(), client);
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint));
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    ExpectControlsFollowTheirRows(dialog, layout);
    ExpectInsideTheClientArea(dialog, layout);
    ExpectUniqueIds(dialog, layout);
    ExpectNoNewOverlaps(dialog, layout);
  }
}

std::vector<QString> TabWalk(TemplateDialog& dialog, std::size_t steps) {
  std::vector<QString> visited;
  dialog.Control(kCommandCancel)->setFocus();
  for (std::size_t i = 0; i < steps; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited.push_back(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
  }
  return visited;
}

// The enabled tab stops in template order, once round from the control after
// Cancel back to Cancel.
std::vector<QString> TabStopsAfterCancel(const TemplateDialog& dialog) {
  const DialogTemplate& layout = MainDialogTemplate();
  std::size_t cancel = 0;
  while (layout.controls[cancel].id != kCommandCancel) ++cancel;
  std::vector<QString> stops;
  for (std::size_t step = 1; step <= layout.controls.size(); ++step) {
    const std::size_t i = (cancel + step) % layout.controls.size();
    const QWidget* widget = dialog.controls().At(static_cast<int>(i));
    if ((layout.controls[i].flags & kTabStop) != 0 && widget->isEnabled()) stops.push_back(widget->objectName());
  }
  return stops;
}

TEST(MainDialogLayoutTest, TabVisitsTabStopsInTemplateOrderOnly) {
  TemplateDialog dialog(MainDialogTemplate(), nullptr);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

  // Disabled controls are skipped: as created, only the port list is left.
  const QString cancel = dialog.Control(kCommandCancel)->objectName();
  const QString portList = dialog.Control(kIdPortList)->objectName();
  EXPECT_EQ(TabStopsAfterCancel(dialog), (std::vector<QString>{portList, cancel}));
  EXPECT_EQ(TabWalk(dialog, 2), TabStopsAfterCancel(dialog));

  for (int id : PortDependentControlIds()) dialog.Control(id)->setEnabled(true);
  const std::vector<QString> stops = TabStopsAfterCancel(dialog);
  EXPECT_EQ(stops.size(), 9u) << "five edits, two buttons, the port list and Cancel";
  EXPECT_EQ(TabWalk(dialog, stops.size()), stops);
}

// Each radio group of the template is one exclusive button group, its
// buttons in template order; each edit and the port list are the buddy of
// the label that names them, and a screen reader hears that label's text.
TEST(MainDialogLayoutTest, RadioGroupsAndNamingLabelsMapToQt) {
  TemplateDialog dialog(MainDialogTemplate(), nullptr);
  for (const std::vector<int>& ids : RadioGroups(MainDialogTemplate())) {
    QButtonGroup* group = dialog.ControlAs<QRadioButton>(ids.front())->group();
    ASSERT_NE(group, nullptr) << ids.front();
    EXPECT_TRUE(group->exclusive());
    std::vector<QAbstractButton*> expected;
    for (int id : ids) expected.push_back(dialog.ControlAs<QAbstractButton>(id));
    const QList<QAbstractButton*> buttons = group->buttons();
    EXPECT_EQ(std::vector<QAbstractButton*>(buttons.begin(), buttons.end()), expected);
  }
  for (int id : {kIdPilotName, kIdCompetitionClass, kIdCompetitionId, kIdGliderType, kIdGliderId, kIdPortList}) {
    const ControlTemplate* label = NameLabelOf(MainDialogTemplate(), id);
    ASSERT_NE(label, nullptr) << id;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(dialog.Control(id));
    ASSERT_NE(accessible, nullptr) << id;
    EXPECT_EQ(accessible->text(QAccessible::Name), QString::fromUtf8(label->text)) << id;
  }
}

TEST(MainDialogLayoutTest, ClicksReachButtonsInsideGroupBoxesAndGroupsStayApart) {
  TemplateDialog dialog(MainDialogTemplate(), nullptr);
  for (int id : PortDependentControlIds()) dialog.Control(id)->setEnabled(true);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

  auto* tenSeconds = dialog.ControlAs<QRadioButton>(kIdRecordModeNo + 3);
  auto* fixRate10 = dialog.ControlAs<QRadioButton>(kIdFixRate1 + 9);
  auto* fixRate1 = dialog.ControlAs<QRadioButton>(kIdFixRate1);
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
