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
//   std::string SelectedText(int id)    an edit's selected text, Latin-1
//   void Type(int id, const std::string& latin1)  keys as a user types them
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

// Latin-1 bytes as UTF-8, the form the suite compares shown texts in.
inline std::string Utf8FromLatin1(const std::string& latin1) {
  std::string utf8;
  for (const char byte : latin1) {
    const auto code = static_cast<unsigned char>(byte);
    if (code < 0x80) {
      utf8.push_back(byte);
    } else {
      utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return utf8;
}

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
    // Texts travel as Latin-1 and reach the user as the letters they stand for.
    EXPECT_EQ(this->surface().ShowMessageBox("Non digitare pi\xF9 di 31 caratteri.", "Pi\xF9", c.kind), c.press);
    const SeenBox seen = this->front().LastBox();
    EXPECT_EQ(seen.buttons, c.buttons);
    EXPECT_EQ(seen.text, "Non digitare pi\u00f9 di 31 caratteri.");
    EXPECT_EQ(seen.caption, "Pi\u00f9");
  }
}

TYPED_TEST_P(ControlSurfaceSuite, TheDeleteFlightDialogRunsModallyUntilItIsClosed) {
  this->front().PressOnNextBox(MessageBoxAnswer::Ok);
  this->surface().RunChildDialog(ChildDialog::DeleteFlight);
  EXPECT_EQ(this->front().LastBox().caption, Utf8FromLatin1(DeleteFlightTemplate().title));
}

TYPED_TEST_P(ControlSurfaceSuite, TextsKeepEveryLatin1LetterAndShowIt) {
  // An edit, a display field and the port list's entries.
  const std::string latin1 = "Bj\xF6rk \xE0 Z\xFCrich \xBF\xFF";
  const std::string shown = "Bj\u00f6rk \u00e0 Z\u00fcrich \u00bf\u00ff";
  for (const int id : {kIdPilotName, kIdSerialNumber, kIdPortStatus}) {
    SCOPED_TRACE(id);
    this->surface().SetText(id, latin1);
    EXPECT_EQ(this->surface().Text(id), latin1);
    EXPECT_EQ(this->front().Displayed(id), shown);
  }
  const int count = this->surface().ListCount(kIdPortList);
  this->surface().InsertListEntry(kIdPortList, count, latin1, "");
  ASSERT_EQ(this->surface().ListCount(kIdPortList), count + 1);
  EXPECT_EQ(this->surface().ListEntry(kIdPortList, count), latin1);
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
                            TheDeleteFlightDialogRunsModallyUntilItIsClosed, TextsKeepEveryLatin1LetterAndShowIt,
                            ListEntriesAreInsertedAndRemovedInPlace,
                            UncheckingTheLastCheckedRadioButtonLeavesItsGroupEmpty,
                            ASelectionSetByTheProgramOpensNothingAndMinusOneShowsNoEntry,
                            ALoggersReplyIsShownOnlyWhenTheUserInterfaceThreadRuns,
                            EnablingAndShowingReachEachKindOfControl, TheLengthLimitStopsTheUserButNotTheProgram,
                            FocusGoesWhereTheDialogPutsItWithTheWholeTextSelected);

}  // namespace brisko::testing
