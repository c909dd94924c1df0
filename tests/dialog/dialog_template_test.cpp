// What the templates decide for every front end: the radio groups, where the
// focus starts and which label names an edit or the port list for a screen
// reader.
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"

namespace brisko {
namespace {

TEST(DialogTemplateTest, RadioGroupsRunFromOneGroupStartToTheNext) {
  const std::vector<std::vector<int>> main = RadioGroups(MainDialogTemplate());
  ASSERT_EQ(main.size(), 2u);
  EXPECT_EQ(main[0], (std::vector<int>{kIdRecordModeNo, kIdRecordModeNo + 1, kIdRecordModeNo + 2, kIdRecordModeNo + 3}));
  std::vector<int> fixRates;
  for (int i = 0; i < 10; ++i) fixRates.push_back(kIdFixRate1 + i);
  EXPECT_EQ(main[1], fixRates);
  EXPECT_EQ(RadioGroupIds(kIdFixRate1), fixRates);
  EXPECT_TRUE(RadioGroupIds(kIdFixRate1 + 1).empty()) << "only a group's first button names it";
  EXPECT_TRUE(RadioGroups(DeleteFlightTemplate()).empty());
}

TEST(DialogTemplateTest, TheFocusStartsOnTheFirstEnabledTabStop) {
  struct Case {
    const char* name;
    std::function<bool(int id)> enabled;
    int expected;
  } const cases[] = {
      {"all enabled", [](int) { return true; }, kCommandCancel},
      {"Exit disabled", [](int id) { return id != kCommandCancel; }, kIdPilotName},
      {"only the port list enabled", [](int id) { return id == kIdPortList; }, kIdPortList},
      {"none enabled", [](int) { return false; }, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(FirstTabStopId(MainDialogTemplate(), c.enabled), c.expected) << c.name;
  // As the templates create their controls.
  EXPECT_EQ(FirstTabStopId(MainDialogTemplate()), kCommandCancel);
  EXPECT_EQ(FirstTabStopId(DeleteFlightTemplate()), kCommandCancel);
  EXPECT_EQ(FirstTabStopId(AboutTemplate()), kCommandOk);
}

// A screen reader names each edit and the port list after the label the user
// sees beside it: the nearest one to its left on its first line. Nothing else
// is named so.
TEST(DialogTemplateTest, EachEditAndThePortListAreNamedByTheLabelBesideThem) {
  constexpr int kOneLine = 14;  // an edit's height in dialog units
  const DialogTemplate& main = MainDialogTemplate();
  int named = 0;
  for (const ControlTemplate& control : main.controls) {
    SCOPED_TRACE(control.id);
    const ControlTemplate* label = NameLabelOf(main, control.id);
    if (control.id < 0 || (control.kind != ControlKind::Edit && control.kind != ControlKind::DropDownList)) {
      EXPECT_EQ(label, nullptr);
      continue;
    }
    const ControlTemplate* beside = nullptr;
    for (const ControlTemplate& other : main.controls) {
      const bool onItsLine = other.y >= control.y && other.y < control.y + kOneLine;
      if (other.kind != ControlKind::Label || !onItsLine || other.x + other.width > control.x) continue;
      if (beside == nullptr || other.x > beside->x) beside = &other;
    }
    ASSERT_NE(beside, nullptr) << "no label beside it";
    EXPECT_EQ(label, beside) << (label != nullptr ? label->text : "none");
    ++named;
  }
  EXPECT_EQ(named, 6) << "five edits and the port list";
}

}  // namespace
}  // namespace brisko
