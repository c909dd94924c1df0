// The in-memory dialog templates, checked on the windows that Windows (or
// Wine) creates from them: frame, title, font, every control's id, text,
// enabled state, the input it takes and rectangle in template order, the Tab
// order and the radio groups' clicks.
#include "win32/dialog_template_ex.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "brisko_version.h"
#include "dialog/control_ids.h"
#include "link/wide_text_win32.h"

namespace brisko {
namespace {

// The last command a control sent its dialog.
int lastCommand = 0;

INT_PTR CALLBACK IgnoreMessages(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND) lastCommand = LOWORD(wParam);
  return FALSE;
}

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::vector<HWND> Children(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

// A child's window rectangle in the dialog's client coordinates.
RECT RectInDialog(HWND dialog, HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The dialog manager maps a control's position and its size each on their
// own, so the right edge is left + width in pixels, which can differ by one
// from the mapped right edge in dialog units.
RECT MappedControlRect(HWND dialog, const ControlTemplate& control) {
  RECT position{control.x, control.y, control.width, control.height};
  MapDialogRect(dialog, &position);
  return {position.left, position.top, position.left + position.right, position.top + position.bottom};
}

// What the user does with a control of each kind, tried on the window (which
// must be enabled): an edit takes typed characters, a radio button stays
// checked when clicked, a push button tells its dialog and does not, the
// drop-down list moves its choice with the arrow keys, the list box takes
// entries, and everything else only shows its text.
void ExpectTakesTheInputOfItsKind(HWND control, ControlKind kind) {
  const std::wstring before = WindowText(control);
  switch (kind) {
    case ControlKind::Edit:
      for (wchar_t key : std::wstring(L"Ab")) SendMessageW(control, WM_CHAR, key, 1);
      EXPECT_EQ(WindowText(control), before + L"Ab");
      return;
    case ControlKind::RadioButton:
    case ControlKind::PushButton:
      lastCommand = 0;
      SendMessageW(control, BM_CLICK, 0, 0);
      EXPECT_EQ(lastCommand, GetDlgCtrlID(control));
      EXPECT_EQ(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED, kind == ControlKind::RadioButton);
      return;
    case ControlKind::DropDownList:
      SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"3"));
      SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"5"));
      SendMessageW(control, CB_SETCURSEL, 0, 0);
      SendMessageW(control, WM_KEYDOWN, VK_DOWN, 0);
      EXPECT_EQ(SendMessageW(control, CB_GETCURSEL, 0, 0), 1);
      return;
    case ControlKind::ListBox:
      EXPECT_EQ(SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"2026-07-02")), 0);
      return;
    default:
      SendMessageW(control, WM_CHAR, L'x', 1);
      EXPECT_EQ(WindowText(control), before);
      EXPECT_EQ(SendMessageW(control, WM_GETDLGCODE, 0, 0) & (DLGC_WANTCHARS | DLGC_BUTTON), 0);
      return;
  }
}

// The controls the Tab key visits, once round from the first.
std::vector<int> TabWalk(HWND dialog) {
  std::vector<int> ids;
  HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
  for (HWND item = first; item != nullptr && ids.size() < 100;) {
    ids.push_back(GetDlgCtrlID(item));
    item = GetNextDlgTabItem(dialog, item, FALSE);
    if (item == first) break;
  }
  return ids;
}

// The enabled tab stops in template order.
std::vector<int> EnabledTabStops(HWND dialog, const DialogTemplate& layout) {
  std::vector<int> ids;
  for (const ControlTemplate& control : layout.controls) {
    if ((control.flags & kTabStop) != 0 && IsWindowEnabled(GetDlgItem(dialog, control.id))) ids.push_back(control.id);
  }
  return ids;
}

struct DialogCase {
  const char* name;
  const DialogTemplate& (*layout)();
  DialogFrame (*frame)();
  std::wstring title;
  size_t controlCount;
  bool visible;
  bool appWindow;
};

void PrintTo(const DialogCase& dialogCase, std::ostream* out) { *out << dialogCase.name; }

const DialogCase kDialogs[] = {
    {"Main", MainDialogTemplate, MainDialogFrame, Utf8ToWide(kApplicationTitle), 47, true, true},
    {"DeleteFlight", DeleteFlightTemplate, ChildDialogFrame, L"Delete flight", 3, false, false},
};

// Creates the dialog modelessly from the built template; destroys it at the end.
class DialogWindow {
 public:
  DialogWindow(const DialogTemplate& layout, const DialogFrame& frame)
      : words_(BuildDialogTemplateEx(layout, frame)),
        window_(CreateDialogIndirectParamW(GetModuleHandleW(nullptr), AsDialogTemplate(words_), nullptr,
                                           IgnoreMessages, 0)) {}
  ~DialogWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;
  HWND get() const { return window_; }

 private:
  std::vector<WORD> words_;
  HWND window_;
};

class TemplateDialogTest : public ::testing::TestWithParam<DialogCase> {
 protected:
  void SetUp() override { ASSERT_NE(dialog_.get(), nullptr) << "error " << GetLastError(); }
  const DialogTemplate& layout() const { return GetParam().layout(); }
  HWND dialog() const { return dialog_.get(); }

 private:
  DialogWindow dialog_{GetParam().layout(), GetParam().frame()};
};

TEST_P(TemplateDialogTest, FrameTitleSizeAndFont) {
  const DialogCase& expected = GetParam();
  EXPECT_EQ(WindowText(dialog()), expected.title);

  const DWORD style = static_cast<DWORD>(GetWindowLongW(dialog(), GWL_STYLE));
  const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  EXPECT_EQ(style & frame, frame);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD), 0u);
  EXPECT_EQ(IsWindowVisible(dialog()) != FALSE, expected.visible);
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(dialog(), GWL_EXSTYLE));
  EXPECT_EQ((exStyle & WS_EX_APPWINDOW) != 0, expected.appWindow);

  RECT client;
  GetClientRect(dialog(), &client);
  RECT size{0, 0, layout().width, layout().height};
  MapDialogRect(dialog(), &size);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);

  LOGFONTW font{};
  ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog(), WM_GETFONT, 0, 0)), sizeof font, &font), 0);
  EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(font.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72));
  ReleaseDC(nullptr, screen);
}

TEST_P(TemplateDialogTest, ControlsInTemplateOrderWithIdTextEnabledStateAndTheInputOfTheirKind) {
  const std::vector<HWND> children = Children(dialog());
  ASSERT_EQ(layout().controls.size(), GetParam().controlCount);
  ASSERT_EQ(children.size(), GetParam().controlCount);
  for (size_t i = 0; i < children.size(); ++i) {
    const ControlTemplate& control = layout().controls[i];
    SCOPED_TRACE(testing::Message() << "control #" << i + 1 << ", id " << control.id);
    EXPECT_EQ(GetDlgCtrlID(children[i]), control.id);
    EXPECT_EQ(IsWindowEnabled(children[i]) != FALSE, (control.flags & kDisabled) == 0);
    if (control.kind != ControlKind::DropDownList && control.kind != ControlKind::ListBox) {
      EXPECT_EQ(WindowText(children[i]), Utf8ToWide(control.text));
    }
    EnableWindow(children[i], TRUE);
    ExpectTakesTheInputOfItsKind(children[i], control.kind);
  }
}

TEST_P(TemplateDialogTest, TabVisitsTheEnabledTabStopsInTemplateOrder) {
  EXPECT_EQ(TabWalk(dialog()), EnabledTabStops(dialog(), layout()));
  for (HWND child : Children(dialog())) EnableWindow(child, TRUE);
  EXPECT_EQ(TabWalk(dialog()), EnabledTabStops(dialog(), layout()));
}

TEST_P(TemplateDialogTest, ControlRectanglesAreTheTemplatesInDialogUnits) {
  const std::vector<HWND> children = Children(dialog());
  ASSERT_EQ(children.size(), layout().controls.size());
  for (size_t i = 0; i < children.size(); ++i) {
    const ControlTemplate& control = layout().controls[i];
    SCOPED_TRACE(testing::Message() << "control #" << i + 1 << ", id " << control.id);
    const RECT actual = RectInDialog(dialog(), children[i]);
    const RECT expected = MappedControlRect(dialog(), control);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    if (control.kind == ControlKind::DropDownList) {
      // The closed combo box is as tall as its selection field; the
      // template's height is that of the field with its dropped list.
      EXPECT_GT(actual.bottom, actual.top);
      EXPECT_LT(actual.bottom, expected.bottom);
    } else {
      EXPECT_EQ(actual.bottom, expected.bottom);
    }
  }
}

TEST_P(TemplateDialogTest, NoDefaultButtonNoOkControlAndFocusStartsOnCancel) {
  for (HWND child : Children(dialog())) {
    if (ClassName(child) != L"Button") continue;
    SCOPED_TRACE(testing::Message() << "id " << GetDlgCtrlID(child));
    EXPECT_NE(static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)) & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  }
  // Enter with the focus off a push button must reach the dialog as the OK
  // command, which no control answers to.
  EXPECT_EQ(GetDlgItem(dialog(), IDOK), nullptr);
  HWND first = GetNextDlgTabItem(dialog(), nullptr, FALSE);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetDlgCtrlID(first), kCommandCancel);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, TemplateDialogTest, ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<DialogCase>& dialogCase) { return dialogCase.param.name; });

class MainDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(dialog_.get(), nullptr) << "error " << GetLastError(); }
  HWND dialog() const { return dialog_.get(); }

 private:
  DialogWindow dialog_{MainDialogTemplate(), MainDialogFrame()};
};

TEST_F(MainDialogTest, AClickChecksItsRadioButtonAndUnchecksTheOthersOfItsGroupOnly) {
  const std::vector<std::vector<int>> groups = RadioGroups(MainDialogTemplate());
  ASSERT_EQ(groups.size(), 2u);
  for (HWND child : Children(dialog())) EnableWindow(child, TRUE);
  SendMessageW(GetDlgItem(dialog(), groups[1].back()), BM_CLICK, 0, 0);
  for (int clicked : groups[0]) {
    SCOPED_TRACE(clicked);
    SendMessageW(GetDlgItem(dialog(), clicked), BM_CLICK, 0, 0);
    for (int id : groups[0]) {
      EXPECT_EQ(SendMessageW(GetDlgItem(dialog(), id), BM_GETCHECK, 0, 0) == BST_CHECKED, id == clicked) << id;
    }
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog(), groups[1].back()), BM_GETCHECK, 0, 0), BST_CHECKED)
        << "a click in one group unchecked the other";
  }
}

// The program runs with Common Controls 6 (its manifest, linked into this test
// too). Their drop-down list shows at least CB_GETMINVISIBLE items, 30 by
// default, whatever height the template gives, and scrolls beyond that.
TEST_F(MainDialogTest, PortListDropsBelowItsFieldAndScrollsBeyondThirtyEntries) {
  HWND ports = GetDlgItem(dialog(), kIdPortList);
  ASSERT_NE(ports, nullptr);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(ports, &info));
  EXPECT_EQ(SendMessageW(ports, CB_GETMINVISIBLE, 0, 0), 30);

  struct Case {
    int entries;
    int visible;
    bool scrolls;
  };
  // COM1 to COM29 is the longest port list; 40 is beyond any.
  for (const Case& c : {Case{29, 29, false}, Case{40, 30, true}}) {
    SCOPED_TRACE(c.entries);
    SendMessageW(ports, CB_RESETCONTENT, 0, 0);
    for (int number = 1; number <= c.entries; ++number) {
      SendMessageW(ports, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(number).c_str()));
    }
    SendMessageW(ports, CB_SHOWDROPDOWN, TRUE, 0);
    const RECT field = RectInDialog(dialog(), ports);
    const RECT list = RectInDialog(dialog(), info.hwndList);
    RECT listClient;
    GetClientRect(info.hwndList, &listClient);
    const DWORD listStyle = static_cast<DWORD>(GetWindowLongW(info.hwndList, GWL_STYLE));
    SendMessageW(ports, CB_SHOWDROPDOWN, FALSE, 0);

    EXPECT_EQ(list.left, field.left);
    EXPECT_EQ(list.right, field.right);
    EXPECT_EQ(list.top, field.bottom);
    EXPECT_EQ(listClient.bottom, c.visible * SendMessageW(ports, CB_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ((listStyle & WS_VSCROLL) != 0, c.scrolls);
  }
}

TEST(DeleteFlightDialogTest, FlightListSortsAndScrollsOnlyWhenFull) {
  DialogWindow dialog(DeleteFlightTemplate(), ChildDialogFrame());
  ASSERT_NE(dialog.get(), nullptr);
  HWND flights = GetDlgItem(dialog.get(), kIdFlightList);
  ASSERT_NE(flights, nullptr);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(flights, GWL_STYLE)) & WS_VSCROLL, 0u);
  for (const wchar_t* name : {L"2026-07-02", L"2026-06-30", L"2026-07-01"}) {
    SendMessageW(flights, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  wchar_t first[32] = {};
  SendMessageW(flights, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
  EXPECT_STREQ(first, L"2026-06-30");
  for (int i = 0; i < 40; ++i) SendMessageW(flights, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"2026-08-01"));
  EXPECT_NE(static_cast<DWORD>(GetWindowLongW(flights, GWL_STYLE)) & WS_VSCROLL, 0u);
}

// The layout texts are UTF-8, whatever the ANSI code page.
TEST(TemplateTextTest, TheTitleAndTheControlsTextsArriveWhole) {
  // An odd text length still leaves the next item DWORD-aligned.
  const DialogTemplate layout{"Volo \u00e8 \u20ac", 100, 50, 8,
                              {{100, ControlKind::Label, "Pi\u00f9", 5, 5, 40, 8, kGroupStart},
                               {101, ControlKind::Label, "\u00abab\u00bb \u0141", 5, 20, 40, 8, kGroupStart}}};
  DialogWindow dialog(layout, ChildDialogFrame());
  ASSERT_NE(dialog.get(), nullptr);
  EXPECT_EQ(WindowText(dialog.get()), L"Volo \u00E8 \u20AC");
  EXPECT_EQ(WindowText(GetDlgItem(dialog.get(), 100)), L"Pi\u00F9");
  EXPECT_EQ(WindowText(GetDlgItem(dialog.get(), 101)), L"\u00ABab\u00BB \u0141");
}

}  // namespace
}  // namespace brisko
