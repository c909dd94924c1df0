// The control-surface suite on the Win32 main dialog under Wine: the same
// promises as the windowless fake, kept by real windows. The dialog runs
// modeless, pumped by the test; a message box is answered from a thread of
// the test's own while the handler's modal loop runs.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "link/wide_text_win32.h"
#include "tests/support/control_surface_suite.h"
#include "tests/win32/next_modal_window.h"
#include "win32/field_edit_guard.h"
#include "win32/win32_main_dialog.h"

namespace brisko::testing {
namespace {

class Win32Front {
 public:
  Win32Front(SettingsStore& settings, const Platform& platform) : dialog_(settings, platform) {
    window_ = dialog_.CreateModeless();
    EXPECT_NE(window_, nullptr);
  }

  ControlSurface& surface() { return dialog_; }
  void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  // Notes the box's title, text and buttons and presses the button; a box
  // without it is cancelled.
  void PressOnNextBox(MessageBoxAnswer answer) {
    answerer_.reset();
    seen_ = {};
    answerer_ = std::make_unique<NextModalWindow>(window_, [this, answer](HWND box) {
      seen_.caption = WideToUtf8(WindowTextOf(box));
      const std::pair<int, MessageBoxAnswer> buttons[] = {
          {IDOK, MessageBoxAnswer::Ok}, {IDYES, MessageBoxAnswer::Yes}, {IDNO, MessageBoxAnswer::No}};
      int press = IDCANCEL;
      for (const auto& [id, meaning] : buttons) {
        HWND button = GetDlgItem(box, id);
        if (button == nullptr || !IsWindowVisible(button)) continue;
        seen_.buttons.insert(meaning);
        if (meaning == answer) press = id;
      }
      for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring text = WindowTextOf(child);
        if (WindowClassOf(child) == L"Static" && !text.empty()) seen_.text = WideToUtf8(text);
      }
      return press;
    });
  }
  SeenBox LastBox() {
    answerer_.reset();
    return seen_;
  }

  std::string Displayed(int id) const { return WideToUtf8(WindowTextOf(Item(id))); }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
  int FocusedId() const {
    HWND focus = GetFocus();
    if (focus != nullptr && focus == window_) return kNoControl;
    return focus != nullptr && GetParent(focus) == window_ ? GetDlgCtrlID(focus) : -1;
  }
  std::string SelectedText(int id) const {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(Item(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const std::wstring text = WindowTextOf(Item(id));
    return start < end && end <= text.size() ? WideToUtf8(text.substr(start, end - start)) : std::string();
  }
  void Type(int id, const std::string& utf8) {
    for (const wchar_t key : Utf8ToWide(utf8)) SendMessageW(Item(id), WM_CHAR, key, 1);
  }

 private:
  HWND Item(int id) const { return GetDlgItem(window_, id); }

  Win32MainDialog dialog_;
  HWND window_ = nullptr;
  std::unique_ptr<NextModalWindow> answerer_;
  SeenBox seen_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ControlSurfaceSuite, Win32Front);

}  // namespace
}  // namespace brisko::testing
