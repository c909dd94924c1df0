// The control-surface suite on the Win32 main dialog under Wine: the same
// promises as the windowless fake, kept by real windows. The dialog runs
// modeless, pumped by the test; a message box is answered from a thread of
// the test's own while the handler's modal loop runs.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "win32/field_edit_guard.h"
#include "win32/win32_main_dialog.h"
#include "tests/support/control_surface_suite.h"

namespace brisko::testing {
namespace {

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct BoxSearch {
  HWND mainDialog;
  HWND found;
};

BOOL CALLBACK FindBoxIn(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<BoxSearch*>(parameter);
  if (window == search->mainDialog || !IsWindowVisible(window) || ClassOf(window) != L"#32770") return TRUE;
  search->found = window;
  return FALSE;
}

// A visible dialog window of the thread other than the main dialog: the box.
HWND FindBox(DWORD thread, HWND mainDialog) {
  BoxSearch search{mainDialog, nullptr};
  EnumThreadWindows(thread, FindBoxIn, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class Win32Front {
 public:
  Win32Front(SettingsStore& settings, const Platform& platform)
      : dialog_(settings, platform), thread_(GetCurrentThreadId()) {
    window_ = dialog_.CreateModeless();
    EXPECT_NE(window_, nullptr);
  }
  ~Win32Front() {
    if (answerer_.joinable()) answerer_.join();
  }

  ControlSurface& surface() { return dialog_; }
  void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  // Waits on a thread of its own for the box (20 s at most), notes its title,
  // text and buttons, and presses the button; a box without it is cancelled.
  void PressOnNextBox(MessageBoxAnswer answer) {
    if (answerer_.joinable()) answerer_.join();
    seen_ = {};
    answerer_ = std::thread([this, answer] {
      HWND box = nullptr;
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while ((box = FindBox(thread_, window_)) == nullptr) {
        if (std::chrono::steady_clock::now() > deadline) return;
        Sleep(10);
      }
      seen_.caption = Utf8(WindowTextOf(box));
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
        if (ClassOf(child) == L"Static" && !text.empty()) seen_.text = Utf8(text);
      }
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), 0);
    });
  }
  SeenBox LastBox() {
    if (answerer_.joinable()) answerer_.join();
    return seen_;
  }

  std::string Displayed(int id) const { return Utf8(WindowTextOf(Item(id))); }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
  int FocusedId() const {
    HWND focus = GetFocus();
    return focus != nullptr && GetParent(focus) == window_ ? GetDlgCtrlID(focus) : -1;
  }
  std::string SelectedText(int id) const {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(Item(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const std::string text = dialog_.Text(id);
    return start < end && end <= text.size() ? text.substr(start, end - start) : std::string();
  }
  void Type(int id, const std::string& latin1) {
    for (const char key : latin1) SendMessageW(Item(id), WM_CHAR, static_cast<unsigned char>(key), 1);
  }

 private:
  HWND Item(int id) const { return GetDlgItem(window_, id); }

  Win32MainDialog dialog_;
  DWORD thread_;
  HWND window_ = nullptr;
  std::thread answerer_;
  SeenBox seen_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ControlSurfaceSuite, Win32Front);

}  // namespace
}  // namespace brisko::testing
