// Answers the next modal window that a handler opens on the main dialog's
// thread, while that handler's modal loop runs: a thread of the test's own
// waits (20 s at most) for a visible dialog window of that thread other than
// the main dialog, lets `answer` look at it and choose the command, and posts
// that command. Create it before the call that opens the window.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>

namespace brisko::testing {

inline std::wstring WindowClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

class NextModalWindow {
 public:
  NextModalWindow(HWND mainDialog, std::function<int(HWND window)> answer)
      : thread_([this, mainDialog, thread = GetWindowThreadProcessId(mainDialog, nullptr),
                 answer = std::move(answer)] {
          Search search{mainDialog, nullptr};
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
          while (EnumThreadWindows(thread, FindModal, reinterpret_cast<LPARAM>(&search)), search.found == nullptr) {
            if (std::chrono::steady_clock::now() > deadline) return;
            Sleep(10);
          }
          answered_ = true;
          PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(answer(search.found), BN_CLICKED), 0);
        }) {}
  ~NextModalWindow() {
    if (thread_.joinable()) thread_.join();
  }
  NextModalWindow(const NextModalWindow&) = delete;
  NextModalWindow& operator=(const NextModalWindow&) = delete;

  // Once the handler that opened the window has returned.
  bool answered() {
    if (thread_.joinable()) thread_.join();
    return answered_;
  }

 private:
  struct Search {
    HWND mainDialog;
    HWND found;
  };
  // A named function, not a lambda: 32-bit Windows calls it with stdcall.
  static BOOL CALLBACK FindModal(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    if (window == search->mainDialog || !IsWindowVisible(window) || WindowClassOf(window) != L"#32770") return TRUE;
    search->found = window;
    return FALSE;
  }

  bool answered_ = false;
  std::thread thread_;
};

}  // namespace brisko::testing
