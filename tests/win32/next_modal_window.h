// Answers the next modal window that a handler opens on the main dialog's
// thread, while that handler's modal loop runs: a thread of the test's own
// waits (20 s at most) for a visible dialog window of that thread other than
// the main dialog, lets `answer` look at it and choose the command, and posts
// that command. A window that does not come up, or stays open after its
// command, fails the test with a message after 20 s, and a window still open
// then is cancelled, so that the handler returns. Create it before the call
// that opens the window.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

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
            if (std::chrono::steady_clock::now() > deadline) {
              failure_ = "no modal window came up within 20 s";
              return;
            }
            Sleep(10);
          }
          answered_ = true;
          PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(answer(search.found), BN_CLICKED), 0);
          const auto closeDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
          while (IsWindow(search.found)) {
            if (std::chrono::steady_clock::now() > closeDeadline) {
              failure_ = "the modal window stayed open after its command";
              PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
              return;
            }
            Sleep(10);
          }
        }) {}
  ~NextModalWindow() { Join(); }
  NextModalWindow(const NextModalWindow&) = delete;
  NextModalWindow& operator=(const NextModalWindow&) = delete;

  // Once the handler that opened the window has returned.
  bool answered() {
    Join();
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

  // The failure is reported on the test's thread.
  void Join() {
    if (!thread_.joinable()) return;
    thread_.join();
    if (!failure_.empty()) ADD_FAILURE() << failure_;
  }

  bool answered_ = false;
  std::string failure_;
  std::thread thread_;
};

}  // namespace brisko::testing
