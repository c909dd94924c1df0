// What every front end owes the neutral dialog through ControlSurface, run
// against each of them: the windowless fake, the Qt window and the Win32
// window. The main dialog is built over the real template and started on the
// test machine's port 3 (port 5 beside it), so that the dialog's own handlers
// run as they do for a user. Each front end instantiates the suite with a small
// adapter of this shape:
//
//   Front(SettingsStore&, const Platform&)  builds the main dialog and starts it, shown
//   ControlSurface& surface()
//   void Pump()                         one round of the user-interface thread's events
//   void PressOnNextBox(MessageBoxAnswer)  the button to press on the next message
//                                       box; any other modal window is cancelled
//   SeenBox LastBox()                   what that window showed, once it has gone
//   std::string Displayed(int id)       what the user sees in the control, UTF-8
//   bool Enabled(int id), bool Visible(int id)
//   int FocusedId()                     the id of the control with the keyboard focus,
//                                       kNoControl for the dialog itself, -1 for none
//   std::string SelectedText(int id)    an edit's selected text, UTF-8
//   void Type(int id, const std::string& utf8)  keys as a user types them
//
// A new behaviour of the surface is one more TYPED_TEST_P below, registered
// at the end; a new kind of case is one more table row.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "dialog/control_ids.h"
#include "dialog/control_surface.h"
#include "dialog/dialog_template.h"
#include "tests/support/dialog_machine.h"
#include "tests/support/fake_surface.h"
#include "tests/support/wait_until.h"

namespace brisko::testing {

// A message box as the user saw it.
struct SeenBox {
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  std::set<MessageBoxAnswer> buttons;
};

template <typename Front>
class ControlSurfaceSuite : public ::testing::Test, protected DialogMachine {
 protected:
  ControlSurfaceSuite() {
    settings.stored = "3";
    front_ = std::make_unique<Front>(settings, platform());
    // Port 5 joins the list when its probe comes back.
    EXPECT_TRUE(AwaitStart([&] { return surface().ListCount(kIdPortList) == 2; }, [this] { Pump(); }));
  }

  ControlSurface& surface() { return front_->surface(); }
  Front& front() { return *front_; }
  void Pump() { front_->Pump(); }

  std::unique_ptr<Front> front_;
};

TYPED_TEST_SUITE_P(ControlSurfaceSuite);

TYPED_TEST_P(ControlSurfaceSuite, EachMessageBoxKindOffersItsButtonsAndGivesBackThePressedOne) {
  using Answer = MessageBoxAnswer;
  struct Case {
    MessageBoxKind kind;
    Answer press;
    std::set<Answer> buttons;
  } const cases[] = {
      {MessageBoxKind::Warning, Answer::Ok, {Answer::Ok}},
      {MessageBoxKind::Question, Answer::Yes, {Answer::Yes, Answer::No}},
      {MessageBoxKind::Question, Answer::No, {Answer::Yes, Answer::No}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.press));
    this->front().PressOnNextBox(c.press);
    EXPECT_EQ(this->surface().ShowMessageBox("Non digitare pi\u00f9 di 31 caratteri.", "Pi\u00f9 \u20ac", c.kind),
              c.press);
    const SeenBox seen = this->front().LastBox();
    EXPECT_EQ(seen.buttons, c.buttons);
    EXPECT_EQ(seen.text, "Non digitare pi\u00f9 di 31 caratteri.");
    EXPECT_EQ(seen.caption, "Pi\u00f9 \u20ac");
  }
}

TYPED_TEST_P(ControlSurfaceSuite, TheDeleteFlightDialogRunsModallyUntilItIsClosed) {
  this->front().PressOnNextBox(MessageBoxAnswer::Ok);
  this->surface().RunChildDialog(ChildDialog::DeleteFlight);
  EXPECT_EQ(this->front().LastBox().caption, DeleteFlightTemplate().title);
}

TYPED_TEST_P(ControlSurfaceSuite, TextsCrossTheSurfaceAsUtf8BothWays) {
  // An edit, a display field and the port list's entries, with characters
  // beyond any single-byte page.
  const std::string text = "Bj\u00f6rk \u20ac \u0141\u00f3d\u017a \u65e5\u672c";
  for (const int id : {kIdPilotName, kIdSerialNumber, kIdPortStatus}) {
    SCOPED_TRACE(id);
    this->surface().SetText(id, text);
    EXPECT_EQ(this->surface().Text(id), text);
    EXPECT_EQ(this->front().Displayed(id), text);
  }
  const int count = this->surface().ListCount(kIdPortList);
  this->surface().InsertListEntry(kIdPortList, count, text, "");
  ASSERT_EQ(this->surface().ListCount(kIdPortList), count + 1);
  EXPECT_EQ(this->surface().ListEntry(kIdPortList, count), text);
}

// Every front end here shows the logger's bytes in Windows-1252 (the Wine
// tests run with the Western ANSI page), which gives 0x80-0x9F characters of
// their own where Latin-1 has control characters.
TYPED_TEST_P(ControlSurfaceSuite, TheLoggersBytesShowAndAreTypedInTheFrontEndsCodePage) {
  this->Feed(3, "$NT800,\x80\x84\x93\x96\x9F,12,28,0,0,2,1,1,0");
  EXPECT_TRUE(WaitUntil([&] { return this->front().Displayed(kIdSerialNumber) == "\u20ac\u201e\u201c\u2013\u0178"; },
                        kGenerousWait, [this] { this->Pump(); }))
      << this->front().Displayed(kIdSerialNumber);
  // The edits take what the page writes and refuse what it cannot.
  this->surface().SetText(kIdPilotName, "");
  this->front().Type(kIdPilotName, "\u20ac\u0141\u2013");
  EXPECT_EQ(this->surface().Text(kIdPilotName), "\u20ac\u2013");
}

// Entries go in and out at their index, the others keep their order.
TYPED_TEST_P(ControlSurfaceSuite, ListEntriesAreInsertedAndRemovedInPlace) {
  ControlSurface& surface = this->surface();
  while (surface.ListCount(kIdPortList) > 0) surface.RemoveListEntry(kIdPortList, 0);
  surface.InsertListEntry(kIdPortList, 0, "34", "");
  surface.InsertListEntry(kIdPortList, 0, "3", "");
  surface.InsertListEntry(kIdPortList, 1, "5", "");
  const auto entries = [&] {
    std::vector<std::string> texts;
    for (int i = 0; i < surface.ListCount(kIdPortList); ++i) texts.push_back(surface.ListEntry(kIdPortList, i));
    return texts;
  };
  EXPECT_EQ(entries(), (std::vector<std::string>{"3", "5", "34"}));
  surface.RemoveListEntry(kIdPortList, 1);
  EXPECT_EQ(entries(), (std::vector<std::string>{"3", "34"}));
}

TYPED_TEST_P(ControlSurfaceSuite, UncheckingTheLastCheckedRadioButtonLeavesItsGroupEmpty) {
  for (const int first : {kIdFixRate1, kIdRecordModeNo}) {
    const std::vector<int>& group = RadioGroupIds(first);
    ASSERT_GE(group.size(), 2u) << first;
    const int last = group.back();
    this->surface().SetChecked(last, true);
    for (const int id : group) {
      if (id != last) this->surface().SetChecked(id, false);
    }
    ASSERT_TRUE(this->surface().Checked(last)) << last;
    this->surface().SetChecked(last, false);
    for (const int id : group) EXPECT_FALSE(this->surface().Checked(id)) << id;
  }
}

TYPED_TEST_P(ControlSurfaceSuite, ASelectionSetByTheProgramOpensNothingAndMinusOneShowsNoEntry) {
  ControlSurface& surface = this->surface();
  ASSERT_EQ(surface.ListCount(kIdPortList), 2);
  ASSERT_EQ(surface.ListSelection(kIdPortList), 0);
  const int opensOf5 = this->Device(5).openCount();
  surface.SetListSelection(kIdPortList, 1);
  EXPECT_EQ(surface.ListSelection(kIdPortList), 1);
  EXPECT_EQ(this->front().Displayed(kIdPortList), "5");
  // Only the user's choice reopens: port 3 stays the open one.
  this->front().Pump();
  EXPECT_TRUE(this->Device(3).isOpen());
  EXPECT_EQ(this->Device(5).openCount(), opensOf5);

  surface.SetListSelection(kIdPortList, -1);
  EXPECT_EQ(surface.ListSelection(kIdPortList), -1);
  EXPECT_EQ(this->front().Displayed(kIdPortList), "");
}

TYPED_TEST_P(ControlSurfaceSuite, ALoggersReplyIsShownOnlyWhenTheUserInterfaceThreadRuns) {
  this->Feed(3, "$NT800,NT4711,12,28,0,0,2,1,1,0");
  // The worker reads, frames and posts while this thread does not run its
  // events: a front end that handled the notice on the worker's thread would
  // show the reply meanwhile. Bytes fed after the reply are read only once
  // the reply has been posted.
  const auto read = [&] { return this->Device(3).UnreadByteCount() == 0; };
  ASSERT_TRUE(WaitUntil(read)) << "the worker never read the reply";
  this->Device(3).Feed("\r\n");
  ASSERT_TRUE(WaitUntil(read)) << "the worker never read on";
  EXPECT_EQ(this->surface().Text(kIdSerialNumber), "");
  EXPECT_TRUE(WaitUntil([&] { return this->surface().Text(kIdSerialNumber) == "NT4711"; }, kGenerousWait,
                        [this] { this->Pump(); }))
      << "the posted reply never arrived";
}

TYPED_TEST_P(ControlSurfaceSuite, EnablingAndShowingReachEachKindOfControl) {
  // An edit, a radio button, a push button, the drop-down list, a display field.
  for (const int id : {kIdPilotName, kIdFixRate1 + 3, kIdSet, kIdPortList, kIdSerialNumber}) {
    SCOPED_TRACE(id);
    this->surface().SetEnabled(id, false);
    EXPECT_FALSE(this->front().Enabled(id));
    this->surface().SetEnabled(id, true);
    EXPECT_TRUE(this->front().Enabled(id));
    this->surface().SetShown(id, false);
    EXPECT_FALSE(this->front().Visible(id));
    this->surface().SetShown(id, true);
    EXPECT_TRUE(this->front().Visible(id));
  }
}

TYPED_TEST_P(ControlSurfaceSuite, TheLengthLimitStopsTheUserButNotTheProgram) {
  ControlSurface& surface = this->surface();
  surface.SetText(kIdGliderType, "");
  surface.SetLengthLimit(kIdGliderType, 5);
  this->front().Type(kIdGliderType, "Discus");
  EXPECT_EQ(surface.Text(kIdGliderType), "Discu");
  // A logger's reply may be longer; it is shown whole.
  surface.SetText(kIdGliderType, "Ventus 2cxa");
  EXPECT_EQ(surface.Text(kIdGliderType), "Ventus 2cxa");
}

TYPED_TEST_P(ControlSurfaceSuite, FocusGoesWhereTheDialogPutsItWithTheWholeTextSelected) {
  EXPECT_EQ(this->front().FocusedId(), kCommandCancel) << "the focus starts on the first enabled tab stop";
  ControlSurface& surface = this->surface();
  surface.Focus(kIdGliderId);
  EXPECT_EQ(this->front().FocusedId(), kIdGliderId);
  EXPECT_EQ(surface.FocusedControl(), kIdGliderId);
  EXPECT_EQ(this->front().SelectedText(kIdCompetitionClass), "");
  surface.SetText(kIdCompetitionClass, "Club");
  surface.FocusAndSelectAll(kIdCompetitionClass);
  EXPECT_EQ(this->front().FocusedId(), kIdCompetitionClass);
  EXPECT_EQ(this->front().SelectedText(kIdCompetitionClass), "Club");
  // The dialog itself, where typed keys reach no control.
  surface.Focus(kNoControl);
  EXPECT_EQ(surface.FocusedControl(), kNoControl);
  EXPECT_EQ(this->front().FocusedId(), kNoControl);
}

REGISTER_TYPED_TEST_SUITE_P(ControlSurfaceSuite, EachMessageBoxKindOffersItsButtonsAndGivesBackThePressedOne,
                            TheDeleteFlightDialogRunsModallyUntilItIsClosed, TextsCrossTheSurfaceAsUtf8BothWays,
                            TheLoggersBytesShowAndAreTypedInTheFrontEndsCodePage,
                            ListEntriesAreInsertedAndRemovedInPlace,
                            UncheckingTheLastCheckedRadioButtonLeavesItsGroupEmpty,
                            ASelectionSetByTheProgramOpensNothingAndMinusOneShowsNoEntry,
                            ALoggersReplyIsShownOnlyWhenTheUserInterfaceThreadRuns,
                            EnablingAndShowingReachEachKindOfControl, TheLengthLimitStopsTheUserButNotTheProgram,
                            FocusGoesWhereTheDialogPutsItWithTheWholeTextSelected);

}  // namespace brisko::testing
