// What the templates decide for every front end: the radio groups, where the
// focus starts and which label names an edit or the port list for a screen
// reader.
#include <set>
#include <string>
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
  const std::set<int> portControls = {kIdPilotName, kIdCompetitionClass, kIdCompetitionId, kIdGliderType,
                                      kIdGliderId,  kIdSet,             kIdDeleteAllFlights};
  std::set<int> allButTheList = portControls;
  allButTheList.insert(kCommandCancel);
  std::set<int> everyStop = allButTheList;
  everyStop.insert(kIdPortList);
  struct Case {
    const char* name;
    std::set<int> disabled;
    int expected;
  } const cases[] = {
      {"all enabled", {}, kCommandCancel},
      {"Exit disabled", {kCommandCancel}, kIdPilotName},
      {"only the port list enabled", allButTheList, kIdPortList},
      {"none enabled", everyStop, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FirstTabStopId(MainDialogTemplate(), [&](int id) { return c.disabled.count(id) == 0; }), c.expected)
        << c.name;
  }
  // As the templates create their controls.
  EXPECT_EQ(FirstTabStopId(MainDialogTemplate()), kCommandCancel);
  EXPECT_EQ(FirstTabStopId(DeleteFlightTemplate()), kCommandCancel);
  EXPECT_EQ(FirstTabStopId(AboutTemplate()), kCommandOk);
}

TEST(DialogTemplateTest, EachEditAndThePortListAreNamedByTheLabelJustBeforeThem) {
  struct Case {
    int id;
    const char* name;  // nullptr: no naming label
  } const cases[] = {
      {kIdPilotName, "Pilot Name:"},       {kIdCompetitionClass, "Competition Class:"},
      {kIdCompetitionId, "Competition ID"}, {kIdGliderType, "Glider Type"},
      {kIdGliderId, "Glider ID"},           {kIdPortList, "Open Com:"},
      {kIdSerialNumber, nullptr},           {kIdSet, nullptr},
      {-1, nullptr},
  };
  for (const Case& c : cases) {
    const ControlTemplate* label = NameLabelOf(MainDialogTemplate(), c.id);
    if (c.name == nullptr) {
      EXPECT_EQ(label, nullptr) << c.id;
    } else {
      ASSERT_NE(label, nullptr) << c.id;
      EXPECT_EQ(std::string(label->text), c.name) << c.id;
    }
  }
}

}  // namespace
}  // namespace brisko
