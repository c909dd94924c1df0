// The dialog's side of the protocol core, for everything that runs the core
// without a window: the protocol, session, end-to-end, fault and nothing-lost
// tests, the benchmarks and the fuzz targets. It gives the core a wall clock
// that stands at a set value or follows the system's, answers every message
// box with one chosen button, calls a hook on each refresh (the moment a
// dialog would show the record), and records what the core asked of it. Benchmarks and fuzz targets
// keep counts only, so that long runs do not grow the records.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "protocol/logger_callouts.h"
#include "protocol/platform.h"

namespace brisko::testing {

struct MessageBoxCall {
  std::string text;
  std::string caption;
  MessageBoxKind kind;
  bool operator==(const MessageBoxCall& other) const {
    return text == other.text && caption == other.caption && kind == other.kind;
  }
};

inline std::ostream& operator<<(std::ostream& out, const MessageBoxCall& call) {
  return out << "{\"" << call.text << "\", \"" << call.caption << "\", " << static_cast<int>(call.kind) << "}";
}

class FakeDialog : public DialogCallouts {
 public:
  enum class Clock { Fixed, Wall };
  enum class Records { Calls, CountsOnly };

  explicit FakeDialog(Clock clockKind = Clock::Fixed, Records records = Records::Calls)
      : clock(clockKind), keepCalls_(records == Records::Calls) {}

  void RefreshControls() override {
    ++refreshes;
    if (onRefresh) onRefresh();
  }
  bool ReadBackControls() override { return readBack ? readBack() : true; }
  void ShowRecordControls(Visibility visibility) override {
    recordControlsShown = visibility == Visibility::Shown;
    if (keepCalls_) shows.push_back(visibility);
  }
  void EnablePortControls(bool enable) override {
    portControlsEnabled = enable;
    if (keepCalls_) portControlChanges.push_back(enable);
  }
  MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxKind kind) override {
    if (keepCalls_) messages.push_back({text, caption, kind});
    if (onMessageBox) onMessageBox();
    return answer;
  }
  void RunDeleteFlightDialog() override { ++deleteDialogRuns; }
  void InsertPortEntry(int index, int portNumber) override {
    portEntries.insert(portEntries.begin() + index, portNumber);
  }
  void RemovePortEntry(int index) override { portEntries.erase(portEntries.begin() + index); }

  // The wall clock to give the core: `now` while the clock is Fixed, read at
  // each call, so that a test moves time by changing `now`.
  WallClock wallClock() {
    if (clock == Clock::Wall) return [] { return static_cast<std::int64_t>(std::time(nullptr)); };
    return [this] { return now; };
  }

  // How it behaves.
  Clock clock;
  std::int64_t now = 1000;  // the time while the clock is Fixed
  MessageBoxAnswer answer = MessageBoxAnswer::Yes;  // the button every message box returns
  std::function<void()> onRefresh;
  std::function<void()> onMessageBox;  // what happens while a box is up
  std::function<bool()> readBack;  // the user's edits; none by default

  // What it saw. The lists stay empty when only counts are kept.
  long refreshes = 0;
  int deleteDialogRuns = 0;
  bool recordControlsShown = false;  // as the last call left them
  bool portControlsEnabled = false;  // as the last call left them
  std::vector<Visibility> shows;
  std::vector<bool> portControlChanges;
  std::vector<MessageBoxCall> messages;
  std::vector<int> portEntries;  // the port list as the core's changes left it

 private:
  bool keepCalls_;
};

}  // namespace brisko::testing
