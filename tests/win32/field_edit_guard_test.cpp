// The field rule on a real edit control under Wine: every change a user can
// make reaches the edit as a message (a typed character, a paste or
// replacement, undo), the edit notifies its dialog with EN_CHANGE, and the
// guard there accepts the change or puts the accepted text back whole. Texts
// the program shows are kept unjudged.
#include "win32/field_edit_guard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/dialog_template_ex.h"

namespace brisko {
namespace {

constexpr int kEditId = 1011;

struct Harness {
  FieldEditGuard guard;
  int acceptedChanges = 0;
};

INT_PTR CALLBACK GuardedProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return TRUE;
  }
  auto* harness = reinterpret_cast<Harness*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (harness != nullptr && message == WM_COMMAND && LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE &&
      harness->guard.edit() != nullptr && harness->guard.JudgeChange()) {
    ++harness->acceptedChanges;
  }
  return FALSE;
}

class FieldEditGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static const DialogTemplate layout{"guard", 200, 40, 8, {{kEditId, ControlKind::Edit, "", 5, 5, 180, 14, kTabStop}}};
    words_ = BuildDialogTemplateEx(layout, ChildDialogFrame());
    dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), AsDialogTemplate(words_), nullptr, GuardedProc,
                                         reinterpret_cast<LPARAM>(&harness_));
    ASSERT_NE(dialog_, nullptr);
    edit_ = GetDlgItem(dialog_, kEditId);
    harness_.guard = FieldEditGuard(edit_);
  }
  void TearDown() override { DestroyWindow(dialog_); }

  void Type(const std::wstring& keys) {
    for (wchar_t key : keys) SendMessageW(edit_, WM_CHAR, key, 1);
  }
  // What a paste, a drop or a context-menu entry does: the selection replaced,
  // undoable.
  void Replace(const std::wstring& text) {
    SendMessageW(edit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void SelectAll() { SendMessageW(edit_, EM_SETSEL, 0, -1); }
  DWORD Caret() {
    DWORD start = 0;
    SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return start;
  }

  std::vector<WORD> words_;
  Harness harness_;
  HWND dialog_ = nullptr;
  HWND edit_ = nullptr;
};

// Changes from an empty edit with the limit of the four short fields.
struct TypedCase {
  const char* name;
  std::wstring typed;
  std::wstring shown;
  int acceptedChanges;
};

class TypingTest : public FieldEditGuardTest, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypingTest, EachKeyIsJudgedOnItsOwn) {
  harness_.guard.SetLimit(15);
  Type(GetParam().typed);
  EXPECT_EQ(WindowTextOf(edit_), GetParam().shown);
  EXPECT_EQ(harness_.acceptedChanges, GetParam().acceptedChanges);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TypingTest,
    ::testing::Values(TypedCase{"PlainLetters", L"D-1234", L"D-1234", 6},
                      TypedCase{"FieldSeparatorRefused", L"Carla, Verdi", L"Carla Verdi", 11},
                      TypedCase{"SentenceMarksRefused", L"a*b$c", L"abc", 3},
                      TypedCase{"WesternLettersAccepted", L"Jos\u00E9", L"Jos\u00E9", 4},
                      TypedCase{"EuroAndDashOfTheWesternPageAccepted", L"5\u20AC\u2013", L"5\u20AC\u2013", 3},
                      TypedCase{"BeyondTheWesternPageRefused", L"\u0141a\u4E00", L"a", 1},
                      TypedCase{"ControlCharacterRefused", L"a\u0085", L"a", 1},
                      TypedCase{"StopsAtTheLimit", L"ABCDEFGHIJKLMNOPQR", L"ABCDEFGHIJKLMNO", 15}),
    [](const ::testing::TestParamInfo<TypedCase>& typed) { return std::string(typed.param.name); });

TEST_F(FieldEditGuardTest, APasteThatCarriesARefusedCharacterIsRefusedWholeWithTheCaretWhereItBegan) {
  harness_.guard.SetLimit(31);
  Type(L"Anna Rossi");
  const int before = harness_.acceptedChanges;
  SendMessageW(edit_, EM_SETSEL, 5, 5);
  Replace(L"B,");
  EXPECT_EQ(WindowTextOf(edit_), L"Anna Rossi");
  EXPECT_EQ(Caret(), 5u);
  EXPECT_EQ(harness_.acceptedChanges, before);

  Replace(L"B. ");
  EXPECT_EQ(WindowTextOf(edit_), L"Anna B. Rossi");
  EXPECT_EQ(harness_.acceptedChanges, before + 1);
}

TEST_F(FieldEditGuardTest, TheProgramsTextIsShownUnjudgedAndOnlyWhatTheUserAddsIsJudged) {
  harness_.guard.SetLimit(15);
  harness_.guard.ShowProgramText(L"Rossi,Anna");
  EXPECT_EQ(WindowTextOf(edit_), L"Rossi,Anna");
  EXPECT_EQ(harness_.acceptedChanges, 0);

  SendMessageW(edit_, EM_SETSEL, 10, 10);
  Type(L"!");
  EXPECT_EQ(WindowTextOf(edit_), L"Rossi,Anna!");
  EXPECT_EQ(harness_.acceptedChanges, 1);
}

TEST_F(FieldEditGuardTest, ALongerTextFromTheLoggerMayBeShortenedButNotLengthened) {
  harness_.guard.SetLimit(15);
  const std::wstring fromLogger = L"ABCDEFGHIJKLMNOPQRST";  // 20
  harness_.guard.ShowProgramText(fromLogger);
  SendMessageW(edit_, EM_SETSEL, 20, 20);
  Type(L"U");
  EXPECT_EQ(WindowTextOf(edit_), fromLogger);
  EXPECT_EQ(harness_.acceptedChanges, 0);

  Type(L"\b");
  EXPECT_EQ(WindowTextOf(edit_), fromLogger.substr(0, 19));
  EXPECT_EQ(harness_.acceptedChanges, 1);

  // Two characters replaced by three: whatever the edit makes of it, the
  // text does not grow.
  SendMessageW(edit_, EM_SETSEL, 0, 2);
  Replace(L"xyz");
  EXPECT_LE(WindowTextOf(edit_).size(), 19u);
}

TEST_F(FieldEditGuardTest, UndoCannotBringBackARefusedCharacter) {
  harness_.guard.SetLimit(15);
  harness_.guard.ShowProgramText(L"a,b");
  SendMessageW(edit_, EM_SETSEL, 1, 2);
  Type(L"\b");
  ASSERT_EQ(WindowTextOf(edit_), L"ab");
  ASSERT_EQ(harness_.acceptedChanges, 1);

  for (UINT undo : {static_cast<UINT>(EM_UNDO), static_cast<UINT>(WM_UNDO)}) {
    SendMessageW(edit_, undo, 0, 0);
    EXPECT_EQ(WindowTextOf(edit_), L"ab");
  }
  EXPECT_EQ(harness_.acceptedChanges, 1);
}

TEST_F(FieldEditGuardTest, UndoOfAnAcceptedChangeIsAcceptedToo) {
  harness_.guard.SetLimit(15);
  Type(L"LS");
  SelectAll();
  Replace(L"ASK 21");
  ASSERT_EQ(WindowTextOf(edit_), L"ASK 21");
  SendMessageW(edit_, EM_UNDO, 0, 0);
  EXPECT_EQ(WindowTextOf(edit_), L"LS");
  EXPECT_EQ(harness_.acceptedChanges, 4);
}

}  // namespace
}  // namespace brisko
