// The Win32 main dialog over simulated serial ports, on real windows under
// Wine: what the window's messages reach in the toolkit-neutral dialog (a
// typed text, a refused character, a radio click, Set, a port choice, the
// worker's posted sentences, Cancel and the end of the window) and what the
// Win32 side adds (About entry, icons, focus, tooltip). What every front end
// owes the neutral dialog is the control-surface suite's. The dialog runs
// modeless here, pumped by the test.
#include "win32/win32_main_dialog.h"

#include <commctrl.h>
#include <dbt.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <iterator>
#include <string>
#include <vector>

#include "brisko_version.h"
#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "link/wide_text_win32.h"
#include "tests/support/adapters.h"
#include "tests/support/dialog_machine.h"
#include "tests/win32/next_modal_window.h"
#include "win32/dialog_template_ex.h"
#include "win32/field_edit_guard.h"

namespace brisko {
namespace {


// fix rate 2 s (index 1), record mode 1, sealed
const char kReply800[] = "$NT800,NT4711,12,28,0,0,2,1,1,0";

// For EnumThreadWindows: stops at the first tooltip window.
BOOL CALLBACK FindToolTip(HWND window, LPARAM found) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wstring(name) != TOOLTIPS_CLASSW) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// One round of the thread's messages.
void DispatchMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The bounded wait, dispatching the thread's messages meanwhile.
bool PumpUntil(const std::function<bool()>& condition) { return WaitUntil(condition, kGenerousWait, DispatchMessages); }

class Win32MainDialogTest : public ::testing::Test, protected testing::DialogMachine {
 protected:
  void Start(const std::string& portNumber) {
    settings.stored = portNumber;
    dialog_ = std::make_unique<Win32MainDialog>(settings, platform());
    window_ = dialog_->CreateModeless();
    ASSERT_NE(window_, nullptr);
    // The other port joins the list when its probe comes back.
    ASSERT_TRUE(AwaitStart([&] { return SendMessageW(Item(kIdPortList), CB_GETCOUNT, 0, 0) == 2; }, DispatchMessages));
  }
  HWND Item(int id) { return GetDlgItem(window_, id); }
  std::wstring Shown(int id) { return WindowTextOf(Item(id)); }
  void Identify() {
    Feed(3, kReply800);
    ASSERT_TRUE(PumpUntil([&] { return Shown(kIdSerialNumber) == L"NT4711"; }));
  }
  bool WaitWritten(const std::string& text) {
    return PumpUntil([&] { return Written(3, text); });
  }

  std::unique_ptr<Win32MainDialog> dialog_;
  HWND window_ = nullptr;
};

TEST_F(Win32MainDialogTest, StartsWithTheRestoredPortOpenTheAboutEntryTheIconsAndCentred) {
  Start("3");
  EXPECT_EQ(Shown(kIdPortStatus), L"COM3 Open Ok");
  // A screen reader names an edit or the list after the static text just before it.
  for (int id : {kIdPilotName, kIdCompetitionClass, kIdCompetitionId, kIdGliderType, kIdGliderId, kIdPortList}) {
    EXPECT_EQ(WindowTextOf(GetWindow(Item(id), GW_HWNDPREV)), Utf8ToWide(NameLabelOf(MainDialogTemplate(), id)->text))
        << id;
  }

  HMENU menu = GetSystemMenu(window_, FALSE);
  ASSERT_NE(menu, nullptr);
  // A separator, then the window's entries in their order, About last with
  // its text from the string table.
  const int count = GetMenuItemCount(menu);
  const int entries = static_cast<int>(std::size(kMenuEntries));
  ASSERT_GE(count, entries + 1);
  EXPECT_EQ(GetMenuState(menu, count - entries - 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(kIdmAboutBox));
  for (int i = 0; i < entries; ++i) {
    wchar_t entry[64] = {};
    GetMenuStringW(menu, count - entries + i, entry, 64, MF_BYPOSITION);
    EXPECT_EQ(GetMenuItemID(menu, count - entries + i), static_cast<UINT>(SystemMenuId(kMenuEntries[i].command)));
    EXPECT_EQ(std::wstring(entry), Utf8ToWide(kMenuEntries[i].text)) << i;
  }

  EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_SMALL, 0), 0);

  // Without an owner: in the middle of its monitor's work area.
  RECT window{};
  GetWindowRect(window_, &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor));
  EXPECT_NEAR(window.left + window.right, monitor.rcWork.left + monitor.rcWork.right, 1);
  EXPECT_NEAR(window.top + window.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);
}

TEST_F(Win32MainDialogTest, AFailedOpenPutsTheReasonInTheStatusTooltip) {
  Start("7");
  EXPECT_EQ(Shown(kIdPortStatus), L"COM7 not found");
  // The tooltip names the status field with the full reason.
  HWND tooltip = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindToolTip, reinterpret_cast<LPARAM>(&tooltip));
  ASSERT_NE(tooltip, nullptr);
  wchar_t tip[256] = {};
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window_;
  tool.uId = kIdPortStatus;
  tool.lpszText = tip;
  SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
  EXPECT_EQ(std::wstring(tip).rfind(L"COM7", 0), 0u) << tip;

  // Moved to a monitor of another DPI: the window takes the system's
  // rectangle, and the tip's tool stays on the status field.
  const RECT suggested{40, 30, 40 + 500, 30 + 600};
  SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT now{};
  GetWindowRect(window_, &now);
  EXPECT_EQ(now.left, suggested.left);
  EXPECT_EQ(now.top, suggested.top);
  EXPECT_EQ(now.right, suggested.right);
  EXPECT_EQ(now.bottom, suggested.bottom);
  RECT field{};
  GetWindowRect(Item(kIdPortStatus), &field);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&field), 2);
  ASSERT_TRUE(SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_EQ(tool.rect.left, field.left);
  EXPECT_EQ(tool.rect.top, field.top);
  EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(Win32MainDialogTest, TypingAndARadioClickReachTheLoggerAndARefusedCharacterNeitherShowsNorTravels) {
  Start("3");
  Identify();
  for (wchar_t key : std::wstring(L"Bea, Neri")) SendMessageW(Item(kIdPilotName), WM_CHAR, key, 1);
  EXPECT_EQ(Shown(kIdPilotName), L"Bea Neri");
  // Letters of the ANSI code page (1252 here) travel as its bytes; one it
  // lacks is refused.
  for (wchar_t key : std::wstring(L"\u00E9\u20AC\u0141")) SendMessageW(Item(kIdGliderType), WM_CHAR, key, 1);
  EXPECT_EQ(Shown(kIdGliderType), L"\u00E9\u20AC");
  SendMessageW(Item(kIdFixRate1 + 4), BM_CLICK, 0, 0);
  SendMessageW(Item(kIdSet), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitWritten("$NT805,1,Bea Neri*")) << Device(3).WrittenBytes();
  EXPECT_TRUE(WaitWritten("$NT805,4,\xE9\x80*")) << Device(3).WrittenBytes();
  EXPECT_TRUE(WaitWritten("$NT802,3,5*")) << Device(3).WrittenBytes();
}

TEST_F(Win32MainDialogTest, ALoggerTextShowsInTheCodePageAndGoesBackByteForByte) {
  Start("3");
  Identify();
  // 0x81 is a byte the page leaves unassigned.
  Feed(3, "$NT805,1,5\x80\x81\xE9");
  ASSERT_TRUE(PumpUntil([&] { return Shown(kIdPilotName) == L"5\u20AC\u0081\u00E9"; })) << Device(3).WrittenBytes();
  SendMessageW(Item(kIdSet), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitWritten("$NT805,1,5\x80\x81\xE9*")) << Device(3).WrittenBytes();
}

TEST_F(Win32MainDialogTest, ChoosingAnotherPortInTheListReopensOnIt) {
  Start("3");
  SendMessageW(Item(kIdPortList), CB_SETCURSEL, 1, 0);
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(kIdPortList, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Item(kIdPortList)));
  EXPECT_EQ(Shown(kIdPortStatus), L"COM5 Open Ok");
  EXPECT_FALSE(Device(3).isOpen());
  EXPECT_TRUE(Device(5).isOpen());
}

TEST_F(Win32MainDialogTest, CancelEndsTheDialogAndTheWindowsEndClosesAndStoresThePort) {
  Start("3");
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  DestroyWindow(window_);
  EXPECT_FALSE(Device(3).isOpen());
  EXPECT_EQ(settings.writes, 1);
  EXPECT_EQ(settings.stored, "3");
}

TEST_F(Win32MainDialogTest, TheAboutEntryOpensABoxWithTheIconNameAndVersionAndLeavesTheDialogAsItWas) {
  Start("3");
  bool hasIcon = false;
  bool named = false;
  std::wstring title;
  testing::NextModalWindow about(window_, [&](HWND box) {
    title = WindowTextOf(box);
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      hasIcon = hasIcon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
      named = named || WindowTextOf(child) == Utf8ToWide(kApplicationTitle);
    }
    return IDOK;
  });
  SendMessageW(window_, WM_SYSCOMMAND, kIdmAboutBox | 3, 0);  // the system's low bits do not matter
  ASSERT_TRUE(about.answered());
  EXPECT_EQ(title, L"Informazioni su brisko");
  EXPECT_TRUE(hasIcon);
  EXPECT_TRUE(named);
  EXPECT_EQ(Shown(kIdPortStatus), L"COM3 Open Ok");
  EXPECT_TRUE(Device(3).isOpen());
}

// The system's word about COM ports, as WM_DEVICECHANGE brings it: an arrival
// makes the dialog look for new ports, a removal that names its port takes
// that entry out, and the open port named gone is reported lost with the
// keyboard focus moved off the edit that is about to be disabled, onto the
// dialog itself.
TEST_F(Win32MainDialogTest, DeviceChangeMessagesFollowPortsThatComeAndGo) {
  ports.HideNames(true);  // as under Wine: only a probe by name finds a port
  Start("3");
  ports.AddDevice(34, clock);
  // The port's name runs on past the structure's one character, as the
  // system sends it.
  std::vector<unsigned char> message(sizeof(DEV_BROADCAST_PORT_W) + 16 * sizeof(wchar_t));
  const auto sendNamed = [&](WPARAM event, const wchar_t* name) {
    DEV_BROADCAST_PORT_W port{};
    port.dbcp_size = static_cast<DWORD>(message.size());
    port.dbcp_devicetype = DBT_DEVTYP_PORT;
    std::memcpy(message.data(), &port, sizeof(port));
    std::memcpy(message.data() + offsetof(DEV_BROADCAST_PORT_W, dbcp_name), name, (wcslen(name) + 1) * sizeof(wchar_t));
    SendMessageW(window_, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(message.data()));
  };
  const auto entries = [&] { return SendMessageW(Item(kIdPortList), CB_GETCOUNT, 0, 0); };

  sendNamed(DBT_DEVICEARRIVAL, L"COM34");
  ASSERT_TRUE(PumpUntil([&] { return entries() == 3; })) << "COM34 joins the list";
  EXPECT_EQ(SendMessageW(Item(kIdPortList), CB_GETCURSEL, 0, 0), 0) << "the selection stays on 3";

  sendNamed(DBT_DEVICEREMOVECOMPLETE, L"COM5");
  EXPECT_EQ(entries(), 2);
  EXPECT_EQ(Shown(kIdPortStatus), L"COM3 Open Ok");

  SetFocus(Item(kIdPilotName));
  sendNamed(DBT_DEVICEREMOVECOMPLETE, L"COM3");
  EXPECT_EQ(Shown(kIdPortStatus), L"COM3 lost");
  EXPECT_FALSE(IsWindowEnabled(Item(kIdPilotName)));
  EXPECT_EQ(GetFocus(), window_) << "the dialog itself, where keys choose no port";
}

// Each port entry's tip (the device and its adapter) shows over the closed
// list for the selected entry, and over the dropped list for the entry under
// the mouse.
TEST_F(Win32MainDialogTest, EachPortEntryShowsItsTipOverTheClosedAndTheDroppedList) {
  AdapterInfo localised = testing::FtdiAdapter();
  localised.name = "Port s\u00e9rie USB";
  ports.SetAdapter(5, localised);
  Start("3");
  HWND tooltip = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindToolTip, reinterpret_cast<LPARAM>(&tooltip));
  ASSERT_NE(tooltip, nullptr);
  const auto tipOver = [&](HWND window) {
    wchar_t text[256] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return std::wstring(text);
  };
  const std::wstring tip3 = L"//./COM3";
  const std::wstring tip5 =
      L"//./COM5\n/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\n"
      L"Port s\u00e9rie USB, 0403:6001, serial A50285BI";
  HWND box = Item(kIdPortList);
  EXPECT_EQ(tipOver(box), tip3);

  COMBOBOXINFO parts{};
  parts.cbSize = sizeof parts;
  ASSERT_TRUE(GetComboBoxInfo(box, &parts));
  SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
  const auto hover = [&](int entry) {
    RECT item{};
    SendMessageW(parts.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(&item));
    SendMessageW(parts.hwndList, WM_MOUSEMOVE, 0, MAKELPARAM(item.left + 2, item.top + 2));
    return tipOver(parts.hwndList);
  };
  EXPECT_EQ(hover(1), tip5);
  EXPECT_EQ(hover(0), tip3);
  SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);

  dialog_->SetListSelection(kIdPortList, 1);
  EXPECT_EQ(tipOver(box), tip5);
  dialog_->RemoveListEntry(kIdPortList, 0);
  dialog_->SetListSelection(kIdPortList, 0);  // as the dialog does after a removal
  EXPECT_EQ(tipOver(box), tip5) << "the tips move with their entries";
}

}  // namespace
}  // namespace brisko
