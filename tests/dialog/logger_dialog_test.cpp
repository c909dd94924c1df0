// The neutral main dialog on a surface without a window, over simulated
// serial ports: the start, the port-dependent controls, the commands routed
// by control id, the About entry, posted notices from a run that has ended,
// and the ways the dialog ends, with the link drained before the port number
// is stored.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "dialog/logger_dialog.h"
#include "link/line_trace.h"
#include "link/port_names.h"
#include "link/simulated_port.h"
#include "protocol/profile.h"
#include "tests/support/adapters.h"
#include "tests/support/dialog_machine.h"
#include "tests/support/fake_surface.h"
#include "tests/support/on_the_wire.h"
#include "tests/support/wait_until.h"

namespace brisko {
namespace {

using testing::FakeSurface;
using testing::PostedNotice;

const char kReply800[] = "$NT800,NT4711,12,28,0,0,2,1,1,0";
const char kReply0[] = "$NT0,NT0815,12,28,0,0,0,0,0,0,1,0,0,3";

class NeutralDialogTest : public ::testing::Test, protected testing::DialogMachine {
 protected:
  LoggerDialog& Start(const std::string& portNumber) {
    settings.stored = portNumber;
    dialog_ = std::make_unique<LoggerDialog>(surface_, settings, platform());
    if (!traceFromStart_.empty()) dialog_->TraceFromStart(traceFromStart_);
    dialog_->OnInitDialog();
    // Every port but the open one is probed off the user-interface thread.
    const int opened = std::stoi(portNumber);
    const bool restoredOpen = ports.Device(opened) != nullptr && ports.Device(opened)->isOpen();
    const std::vector<int> candidates = ProbeCandidates(ports.PresentPorts());
    const std::size_t probes = static_cast<std::size_t>(
        std::count_if(candidates.begin(), candidates.end(), [&](int n) { return !restoredOpen || n != opened; }));
    EXPECT_TRUE(AwaitStart([&] { return probesDelivered_ == probes; }, [this] { DeliverPosted(); }));
    return *dialog_;
  }

  // Hands the posted notices to the dialog, as a front end's event loop does.
  void DeliverPosted() {
    for (const PostedNotice& notice : surface_.TakePosted()) Deliver(notice);
    for (const auto& [port, openable] : surface_.TakeProbed()) {
      dialog_->OnPortProbedArrived(port, openable);
      ++probesDelivered_;
    }
  }
  bool DeliverUntil(const std::function<bool()>& condition, std::chrono::milliseconds bound = kGenerousWait) {
    return WaitUntil(condition, bound, [this] { DeliverPosted(); });
  }
  void Deliver(const PostedNotice& notice) {
    if (notice.portLost) {
      dialog_->OnPortLostArrived(notice.run);
    } else {
      dialog_->OnSentenceArrived(notice.sentence);
    }
  }
  // The logger's answer is shown and the whole identification has left, so
  // that what a test does next is all that reaches the logger after it.
  void Identify(int port, const char* reply, const char* serial) {
    Feed(port, reply);
    ASSERT_TRUE(DeliverUntil([&] {
      return surface_.Text(kIdSerialNumber) == serial && Written(port, IdentificationOnTheWire().back());
    }));
  }
  // The record's field behind an edit, as a refresh shows it.
  std::string RecordText(int id) {
    surface_.controls[id].text = "\x01";
    dialog_->RefreshControls();
    return surface_.Text(id);
  }
  // The user chooses a port list entry.
  void Choose(const std::string& entry) {
    for (std::size_t i = 0; i < surface_.listEntries.size(); ++i) {
      if (surface_.listEntries[i].first == entry) surface_.listSelection = static_cast<int>(i);
    }
    EXPECT_TRUE(dialog_->OnCommand(kIdPortList));
  }
  // With a port open every control is enabled; without one, exactly those
  // the template creates disabled are off.
  void ExpectPortControls(bool portOpen) {
    for (const ControlTemplate& control : MainDialogTemplate().controls) {
      if (control.id < 0) continue;
      EXPECT_EQ(surface_.controls[control.id].enabled, portOpen || (control.flags & kDisabled) == 0) << control.id;
    }
  }

  FakeSurface surface_;
  std::unique_ptr<LoggerDialog> dialog_;
  std::size_t probesDelivered_ = 0;
  std::string traceFromStart_;
};

// The trace file's events as "COM3 ->" etc. with their bytes, in order.
std::vector<std::string> TracedEvents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  TraceFile trace;
  std::string error;
  EXPECT_TRUE(ReadTrace(in, trace, error)) << error;
  std::vector<std::string> events;
  for (const TraceEvent& event : trace.events) {
    events.push_back(PortName(event.port) + " " + TraceDirectionWord(event.direction) + " " + event.data);
  }
  return events;
}

bool Holds(const std::vector<std::string>& events, const std::string& prefix) {
  return std::any_of(events.begin(), events.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
}

TEST_F(NeutralDialogTest, StartListsThePortsOpensTheRestoredOneStartsTheTimerAndHidesTheRecordModeGroup) {
  ports.SetAdapter(5, testing::FtdiAdapter());
  Start("3");
  ASSERT_EQ(surface_.listEntries.size(), 2u);
  // Each entry is the bare number; its tip names the device and what the
  // system says of the adapter.
  EXPECT_EQ(surface_.listEntries[0], std::make_pair(std::string("3"), DevicePathForPort(3)));
  EXPECT_EQ(surface_.listEntries[1],
            std::make_pair(std::string("5"), DevicePathForPort(5) + "\n" + testing::kFtdiById + "\n" +
                                                 testing::kFtdiDescription));
  EXPECT_EQ(surface_.listSelection, 0);
  EXPECT_EQ(surface_.Text(kIdPortStatus), "COM3 Open Ok");
  EXPECT_EQ(surface_.controls[kIdPortStatus].tip, "");
  EXPECT_EQ(surface_.timerMs, 500);
  for (int id : RecordModeControlIds()) EXPECT_FALSE(surface_.controls[id].shown) << id;
  ExpectPortControls(true);
  EXPECT_TRUE(surface_.boxes.empty());
}

TEST_F(NeutralDialogTest, ThePortControlsFollowEachOpen) {
  Start("7");
  ExpectPortControls(false);
  EXPECT_FALSE(surface_.controls[kIdPortStatus].tip.empty()) << "the tooltip explains the failure";
  EXPECT_EQ(surface_.listSelection, -1) << "no entry for port 7";

  Choose("3");
  EXPECT_TRUE(Device(3).isOpen());
  ExpectPortControls(true);
  EXPECT_EQ(surface_.Text(kIdPortStatus), "COM3 Open Ok");
  EXPECT_EQ(surface_.controls[kIdPortStatus].tip, "");

  // Port 5 is taken by another program by now: the open fails and turns them off.
  PortOpenError error;
  auto held = ports.Open(5, error);
  ASSERT_NE(held, nullptr);
  Choose("5");
  EXPECT_FALSE(Device(3).isOpen());
  EXPECT_EQ(surface_.Text(kIdPortStatus), "COM5 busy");
  ExpectPortControls(false);
}

TEST_F(NeutralDialogTest, CommandsAreRoutedByControlId) {
  enum class Effect { ReadBack, SetWithoutPort, DeleteWithoutPort, EndOk, EndCancel, Nothing };
  struct Case {
    int id;
    Effect effect;
  } const cases[] = {
      {kIdPilotName, Effect::ReadBack},    {kIdGliderId, Effect::ReadBack},
      {kIdFixRate1 + 9, Effect::ReadBack}, {kIdRecordModeNo + 3, Effect::ReadBack},
      {kIdSet, Effect::SetWithoutPort},    {kIdDeleteAllFlights, Effect::DeleteWithoutPort},
      {kCommandOk, Effect::EndOk},
      {kCommandCancel, Effect::EndCancel}, {kIdSerialNumber, Effect::Nothing},
      {kIdRecordModeGroup, Effect::Nothing}, {-1, Effect::Nothing},
  };
  Start("7");  // no port: Set says so and sends nothing
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    surface_.boxes.clear();
    surface_.results.clear();
    surface_.controls[kIdCompetitionId].text = "";
    dialog_->OnFieldChanged();
    surface_.controls[kIdCompetitionId].text = "typed";
    EXPECT_EQ(dialog_->OnCommand(c.id), c.effect != Effect::Nothing);
    const bool readBack = RecordText(kIdCompetitionId) == "typed";
    EXPECT_EQ(readBack, c.effect == Effect::ReadBack || c.effect == Effect::EndOk);
    if (c.effect == Effect::SetWithoutPort || c.effect == Effect::DeleteWithoutPort) {
      ASSERT_EQ(surface_.boxes.size(), 1u);
      EXPECT_EQ(surface_.boxes[0].text, "First select a COM port !");
      EXPECT_EQ(surface_.boxes[0].caption, c.effect == Effect::SetWithoutPort ? "Set" : "Delete all flights");
    } else {
      EXPECT_TRUE(surface_.boxes.empty());
    }
    const std::vector<DialogResult> ending =
        c.effect == Effect::EndOk ? std::vector<DialogResult>{DialogResult::Ok}
        : c.effect == Effect::EndCancel ? std::vector<DialogResult>{DialogResult::Cancel}
                                        : std::vector<DialogResult>{};
    EXPECT_EQ(surface_.results, ending);
  }
}

// A toolkit tells of a changed text or check from inside the change: if the
// refresh let that run a read-back, the fields after the pilot name would
// get their controls' old values.
TEST_F(NeutralDialogTest, ARefreshDoesNotFeedBackIntoTheRecord) {
  Start("3");
  // The record gets these values, then the controls show others.
  const std::vector<std::pair<int, std::string>> inRecord = {
      {kIdPilotName, "Pia"}, {kIdCompetitionClass, "Open"}, {kIdGliderId, "D-4711"}};
  for (const auto& [id, text] : inRecord) surface_.controls[id].text = text;
  surface_.controls[kIdFixRate1 + 3].checked = true;
  dialog_->OnFieldChanged();
  for (const auto& [id, text] : inRecord) surface_.controls[id].text = "old";
  surface_.controls[kIdFixRate1 + 3].checked = false;
  surface_.controls[kIdFixRate1].checked = true;

  surface_.onChange = [&](int id) { dialog_->OnCommand(id); };
  dialog_->RefreshControls();
  for (const auto& [id, text] : inRecord) EXPECT_EQ(surface_.Text(id), text) << id;
  EXPECT_TRUE(surface_.Checked(kIdFixRate1 + 3));
  EXPECT_FALSE(surface_.Checked(kIdFixRate1));
  // The same notification from the user reads back at once.
  surface_.SetText(kIdCompetitionId, "AB");
  surface_.onChange = nullptr;
  EXPECT_EQ(RecordText(kIdCompetitionId), "AB");
}

// The core's deletion paths are decided below; here they reach the surface:
// the question with the answer pressed, or the "Delete flight" dialog.
TEST_F(NeutralDialogTest, DeletionAsksThroughTheSurfaceOrRunsTheDeleteFlightDialog) {
  Start("3");
  Identify(3, kReply800, "NT4711");
  surface_.answer = MessageBoxAnswer::Yes;
  dialog_->OnCommand(kIdDeleteAllFlights);
  surface_.answer = MessageBoxAnswer::No;
  dialog_->OnCommand(kIdDeleteAllFlights);
  ASSERT_EQ(surface_.boxes.size(), 2u);
  EXPECT_EQ(surface_.boxes[1].kind, MessageBoxKind::Question);
  // Commands go out in order: Set's last one comes after any deletion queued.
  dialog_->OnCommand(kIdSet);
  ASSERT_TRUE(DeliverUntil([&] { return Written(3, "$NT806,4,3*"); }));
  const std::string afterYesAndNo = Device(3).WrittenBytes();
  EXPECT_NE(afterYesAndNo.find("$NT803,2*"), std::string::npos) << "Yes deletes";
  EXPECT_EQ(afterYesAndNo.find("$NT803,2*"), afterYesAndNo.rfind("$NT803,2*")) << "No sent the deletion";

  Identify(3, kReply0, "NT0815");  // first family, firmware 2.8
  const std::size_t written = Device(3).WrittenBytes().size();
  dialog_->OnCommand(kIdDeleteAllFlights);
  EXPECT_EQ(surface_.children, std::vector<ChildDialog>{ChildDialog::DeleteFlight});
  EXPECT_EQ(surface_.boxes.size(), 2u);
  EXPECT_EQ(Device(3).WrittenBytes().size(), written);
}

TEST_F(NeutralDialogTest, TheAboutEntryRunsTheAboutBoxAndLeavesTheDialogRunning) {
  Start("3");
  dialog_->OnAbout();
  EXPECT_EQ(surface_.children, std::vector<ChildDialog>{ChildDialog::About});
  EXPECT_TRUE(Device(3).isOpen());
  EXPECT_TRUE(surface_.results.empty());
}

TEST_F(NeutralDialogTest, ProfilesLoadIntoTheEditsAndSaveWhatTheWindowShows) {
  Start("3");
  Identify(3, kReply800, "NT4711");
  const std::size_t written = Device(3).WrittenBytes().size();
  const std::string path = ::testing::TempDir() + "dialog_profile.json";
  surface_.chosenFile = path;
  {
    std::ofstream(path) << R"({"brisko-profile": 1, "pilot": "Jos\u00e9", "glider-id": "I-KJN", "fix-rate": 7})";
  }
  dialog_->OnMenuCommand(MenuCommand::LoadProfile);
  EXPECT_EQ(surface_.Text(kIdPilotName), "Jos\u00e9");
  EXPECT_EQ(surface_.Text(kIdGliderId), "I-KJN");
  EXPECT_TRUE(surface_.Checked(kIdFixRate1 + 6));
  EXPECT_TRUE(surface_.boxes.empty());

  // A refused value names its field and loads nothing.
  { std::ofstream(path) << R"({"brisko-profile": 1, "pilot": "Anna", "glider-type": "LS*8"})"; }
  dialog_->OnMenuCommand(MenuCommand::LoadProfile);
  ASSERT_EQ(surface_.boxes.size(), 1u);
  EXPECT_NE(surface_.boxes[0].text.find("Glider type (glider-type)"), std::string::npos) << surface_.boxes[0].text;
  EXPECT_EQ(surface_.Text(kIdPilotName), "Jos\u00e9");

  // Save takes the user's typing since, as the window shows it.
  surface_.controls[kIdCompetitionId].text = "JN";
  dialog_->OnMenuCommand(MenuCommand::SaveProfile);
  Profile saved;
  ASSERT_EQ(ReadProfileFile(path, saved), "");
  EXPECT_EQ(saved.texts[0], "Jos\xC3\xA9");
  EXPECT_EQ(saved.texts[2], "JN");
  EXPECT_EQ(saved.fixRateSeconds, 7);

  // Nothing of it went to the logger; a cancelled choice does nothing.
  surface_.chosenFile.clear();
  dialog_->OnMenuCommand(MenuCommand::LoadProfile);
  EXPECT_EQ(surface_.fileDialogs.size(), 4u);
  EXPECT_EQ(Device(3).WrittenBytes().size(), written);
  std::remove(path.c_str());
}

// The menu's trace entry and the command line's trace: what the line carried
// and the ports' comings and goings reach the file; the entry's check mark
// says whether a trace runs, and a trace that cannot start or that stops on
// its own says why.
TEST_F(NeutralDialogTest, TracesFromTheMenuOrFromTheStartAndSaysWhenOneStops) {
  const std::string fromStart = ::testing::TempDir() + "dialog_from_start.trace";
  traceFromStart_ = fromStart;
  Start("3");
  Identify(3, kReply800, "NT4711");
  EXPECT_TRUE(surface_.checkedEntries.count(MenuCommand::Trace));
  dialog_->OnMenuCommand(MenuCommand::Trace);  // stops it
  EXPECT_FALSE(surface_.checkedEntries.count(MenuCommand::Trace));
  EXPECT_TRUE(surface_.fileDialogs.empty());
  const std::vector<std::string> started = TracedEvents(fromStart);
  EXPECT_TRUE(Holds(started, "COM3 open")) << "the restored port's open is traced";
  EXPECT_TRUE(Holds(started, "COM3 -> $NT900")) << "and its identification";
  EXPECT_TRUE(Holds(started, "COM3 <- $NT800,NT4711"));

  const std::string chosen = ::testing::TempDir() + "dialog_menu.trace";
  surface_.chosenFile = chosen;
  dialog_->OnMenuCommand(MenuCommand::Trace);
  EXPECT_TRUE(surface_.checkedEntries.count(MenuCommand::Trace));
  ports.AddDevice(4, clock);
  ports.RemoveDevice(5);
  dialog_->OnTimer();
  dialog_->OnTimer();
  EXPECT_TRUE(DeliverUntil([&] { return surface_.ListTexts() == std::vector<std::string>{"3", "4"}; }));
  dialog_->OnMenuCommand(MenuCommand::Trace);
  const std::vector<std::string> menu = TracedEvents(chosen);
  EXPECT_TRUE(Holds(menu, "COM4 appeared"));
  EXPECT_TRUE(Holds(menu, "COM5 removed"));
  EXPECT_TRUE(surface_.boxes.empty());

  // A write that failed ends the trace: the user hears of it at the next tick.
  dialog_->OnMenuCommand(MenuCommand::Trace);
  dialog_->PostTraceStopped("No space left on device");
  dialog_->OnTimer();
  ASSERT_EQ(surface_.boxes.size(), 1u);
  EXPECT_EQ(surface_.boxes[0].text, "The trace stopped: No space left on device");
  EXPECT_FALSE(surface_.checkedEntries.count(MenuCommand::Trace));
  dialog_->OnTimer();
  EXPECT_EQ(surface_.boxes.size(), 1u) << "said once";

  surface_.chosenFile = ::testing::TempDir() + "no-such-folder/x.trace";
  dialog_->OnMenuCommand(MenuCommand::Trace);
  ASSERT_EQ(surface_.boxes.size(), 2u);
  EXPECT_EQ(surface_.boxes[1].text.rfind("The trace could not start: ", 0), 0u) << surface_.boxes[1].text;
  EXPECT_FALSE(surface_.checkedEntries.count(MenuCommand::Trace));
  std::remove(fromStart.c_str());
  std::remove(chosen.c_str());
}

TEST_F(NeutralDialogTest, TheDiagnosticsEntryCopiesTheReport) {
  Start("3");
  dialog_->OnMenuCommand(MenuCommand::CopyDiagnostics);
  EXPECT_EQ(surface_.clipboard.rfind("Brisko diagnostics\n", 0), 0u) << surface_.clipboard;
  EXPECT_NE(surface_.clipboard.find("open port: COM3 Open Ok"), std::string::npos) << surface_.clipboard;
  EXPECT_NE(surface_.clipboard.find("  COM5\n"), std::string::npos) << "every listed port";
}

TEST_F(NeutralDialogTest, OkEndsOnlyAfterASuccessfulReadBack) {
  Start("3");
  Identify(3, kReply800, "NT4711");
  surface_.SetText(kIdCompetitionClass, std::string(16, 'C'));
  dialog_->OnOK();
  ASSERT_EQ(surface_.boxes.size(), 1u);
  EXPECT_EQ(surface_.boxes[0].text, "Non digitare pi\u00f9 di 15 caratteri.");
  EXPECT_EQ(surface_.focus, kIdCompetitionClass);
  EXPECT_TRUE(surface_.results.empty()) << "the dialog stays open";

  surface_.SetText(kIdCompetitionClass, "Club");
  dialog_->OnOK();
  EXPECT_EQ(surface_.results, std::vector<DialogResult>{DialogResult::Ok});
  EXPECT_EQ(RecordText(kIdCompetitionClass), "Club");
  EXPECT_EQ(settings.writes, 0) << "the settings wait for the end of the window";
}

TEST_F(NeutralDialogTest, CancelEndsWithoutAReadBack) {
  Start("3");
  surface_.SetText(kIdPilotName, std::string(40, 'L'));
  dialog_->OnCancel();
  EXPECT_EQ(surface_.results, std::vector<DialogResult>{DialogResult::Cancel});
  EXPECT_TRUE(surface_.boxes.empty()) << "a read-back would have shown the length message";
  EXPECT_EQ(RecordText(kIdPilotName), "");
}

// The end: the window goes first, then the timer, then every queued command
// reaches the logger and the port closes, and only then is the port stored.
TEST_F(NeutralDialogTest, TheEndHidesStopsTheTimerDrainsTheLinkAndThenStoresThePort) {
  Start("3");
  Identify(3, kReply800, "NT4711");
  bool openAtWrite = true;
  bool setOutAtWrite = false;
  settings.onWrite = [&] {
    openAtWrite = Device(3).isOpen();
    setOutAtWrite = Written(3, "$NT806,4,3*");
    surface_.events.push_back("settings");
  };
  dialog_->OnCommand(kIdSet);
  dialog_->OnCommand(kCommandCancel);
  surface_.events.clear();
  dialog_->OnDestroy();
  EXPECT_EQ(surface_.events, (std::vector<std::string>{"hide", "stop timer", "settings"}));
  EXPECT_FALSE(openAtWrite);
  EXPECT_TRUE(setOutAtWrite) << "the last command of Set went out before the port closed";
  EXPECT_EQ(settings.stored, "3");

  // Once only; later notices and commands find the dialog ended.
  dialog_->OnDestroy();
  dialog_->OnTimer();
  dialog_->OnCommand(kIdPortList);
  EXPECT_EQ(settings.writes, 1);
  EXPECT_FALSE(Device(3).isOpen());
}

TEST_F(NeutralDialogTest, NothingEndsBeforeTheDialogHasStarted) {
  settings.stored = "3";
  LoggerDialog dialog(surface_, settings, platform());
  dialog.OnDestroy();
  EXPECT_EQ(settings.writes, 0);
  EXPECT_TRUE(surface_.events.empty());
}

// A sentence or lost notice posted by the worker of a port that has been
// changed since is dropped, not read from a slot the new run may refill.
TEST_F(NeutralDialogTest, NoticesFromAnEndedRunAreIgnored) {
  Start("3");
  Identify(3, kReply800, "NT4711");
  Feed(3, kReply0);
  std::vector<PostedNotice> held;
  ASSERT_TRUE(WaitUntil([&] {
    for (const PostedNotice& notice : surface_.TakePosted()) held.push_back(notice);
    return !held.empty();
  }));

  Choose("5");
  ASSERT_EQ(surface_.Text(kIdPortStatus), "COM5 Open Ok");
  for (const PostedNotice& notice : held) Deliver(notice);
  // The test's runs are small: the notice's low 16 bits are the whole run.
  dialog_->OnPortLostArrived(held.front().sentence.runAndSlot >> 16);
  EXPECT_EQ(surface_.Text(kIdSerialNumber), "") << "the reply of the old run must not show";
  EXPECT_TRUE(Device(5).isOpen()) << "a lost notice of the old run closes nothing";
  EXPECT_EQ(surface_.Text(kIdPortStatus), "COM5 Open Ok");
}

// The list follows the system while the dialog runs. Each step changes the
// simulated system, lets one quick look run (two staleness ticks) and hands
// over the probes it caused; the selection stays on the open port's entry.
TEST_F(NeutralDialogTest, TheListFollowsPortsThatComeAndGo) {
  struct Step {
    const char* what;
    std::function<void()> change;
    std::vector<std::string> entries;
  };
  Start("5");  // ports 3 and 5; 5 open
  const std::vector<Step> steps = {
      {"a port plugged in below the open one", [&] { ports.AddDevice(4, clock); }, {"3", "4", "5"}},
      {"one above it, numbered past 29", [&] { ports.AddDevice(34, clock); }, {"3", "4", "5", "34"}},
      {"one pulled out", [&] { ports.RemoveDevice(3); }, {"4", "5", "34"}},
      {"one that refuses to open is not listed", [&] { ports.Refuse(6, PortErrorKind::Busy, "held"); },
       {"4", "5", "34"}},
      {"an adapter unplugged", [&] { Device(4).Unplug(true); }, {"5", "34"}},
      {"and plugged in again", [&] { Device(4).Unplug(false); }, {"4", "5", "34"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    dialog_->OnTimer();
    dialog_->OnTimer();
    EXPECT_TRUE(DeliverUntil([&] { return surface_.ListTexts() == step.entries; }));
    ASSERT_GE(surface_.listSelection, 0);
    EXPECT_EQ(surface_.ListEntry(kIdPortList, surface_.listSelection), "5");
    EXPECT_EQ(surface_.Text(kIdPortStatus), "COM5 Open Ok") << "nothing else in the dialog changes";
  }
  // Only ports that newly appeared were probed, each once; the open one never.
  for (int tick = 0; tick < 20; ++tick) dialog_->OnTimer();
  DeliverUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(ports.ProbeCount(34), 1);
  EXPECT_EQ(ports.ProbeCount(6), 1) << "a port that refused is not probed again on a timer";
  EXPECT_EQ(ports.ProbeCount(4), 2) << "probed again after it was plugged in again";
  EXPECT_EQ(ports.ProbeCount(5), 0);
}

// The open port's device disappears from the system: reported lost at once,
// its entry and the selection stay, and the focus leaves the edit it was in
// before the edit is disabled.
TEST_F(NeutralDialogTest, TheOpenPortVanishingIsReportedLost) {
  Start("3");
  surface_.Focus(kIdPilotName);
  ports.RemoveDevice(3);
  dialog_->OnTimer();
  dialog_->OnTimer();
  EXPECT_EQ(surface_.Text(kIdPortStatus), "COM3 lost");
  ExpectPortControls(false);
  EXPECT_EQ(surface_.focus, kNoControl) << "keys meant for the edit must not choose a port";
  EXPECT_EQ(surface_.ListTexts(), (std::vector<std::string>{"3", "5"}));
  EXPECT_EQ(surface_.listSelection, 0);

  // Opening another port lets the lost one's entry go at the next look.
  Choose("5");
  dialog_->OnTimer();
  dialog_->OnTimer();
  EXPECT_EQ(surface_.ListTexts(), std::vector<std::string>{"5"});
  EXPECT_EQ(surface_.listSelection, 0);
}

// The lost port back under its number is opened by itself as if chosen, but
// only once it has been seen gone, only that number, and only the same
// adapter where the system tells which one it is.
TEST_F(NeutralDialogTest, ALostPortThatComesBackIsOpenedAgainAsTheSameAdapterOnly) {
  ports.SetAdapter(3, "0403:6001:A600XYZ");
  Start("3");
  const std::size_t writesAtStart = Device(3).Writes().size();
  const auto plugIn = [&](const char* adapter) {
    ports.SetAdapter(3, adapter);
    Device(3).Unplug(false);
  };
  struct Step {
    const char* what;
    std::function<void()> change;
    const char* status;
  } const steps[] = {
      {"pulled out", [&] { Device(3).Unplug(true); }, "COM3 lost"},
      {"another adapter under its number", [&] { plugIn("067b:2303:"); }, "COM3 lost"},
      {"a new port elsewhere is only listed", [&] { ports.AddDevice(6, clock); }, "COM3 lost"},
      {"gone again", [&] { Device(3).Unplug(true); }, "COM3 lost"},
      {"the same adapter back", [&] { plugIn("0403:6001:A600XYZ"); }, "COM3 Open Ok"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    // Two looks: one that sees the change, one whose probe answers it.
    for (int look = 0; look < 2; ++look) {
      dialog_->OnTimer();
      dialog_->OnTimer();
      DeliverUntil([] { return false; }, std::chrono::milliseconds(100));
    }
    EXPECT_EQ(surface_.Text(kIdPortStatus), step.status);
  }
  EXPECT_EQ(surface_.ListTexts(), (std::vector<std::string>{"3", "5", "6"}));
  EXPECT_EQ(surface_.ListEntry(kIdPortList, surface_.listSelection), "3");
  ExpectPortControls(true);
  EXPECT_FALSE(Device(6).isOpen());
  EXPECT_TRUE(DeliverUntil([&] { return Device(3).Writes().size() > writesAtStart; })) << "identified again";
}

// A port the system cannot name (past 255) is never taken as gone, and an
// entry chosen but not open that leaves the list keeps its port for the
// settings file.
TEST_F(NeutralDialogTest, ThePortKeptIsNeverLostToWhatTheSystemCannotSay) {
  ports.AddDevice(256, clock);
  Start("256");
  for (int tick = 0; tick < 6; ++tick) dialog_->OnTimer();
  EXPECT_EQ(surface_.Text(kIdPortStatus), "COM256 Open Ok");
  EXPECT_TRUE(Device(256).isOpen());

  PortOpenError ignored;
  auto otherProgram = ports.Open(5, ignored);
  Choose("5");
  ASSERT_EQ(surface_.Text(kIdPortStatus), "COM5 busy");
  otherProgram.reset();
  ports.RemoveDevice(5);
  dialog_->OnTimer();
  dialog_->OnTimer();
  EXPECT_EQ(surface_.ListTexts(), std::vector<std::string>{"3"});
  EXPECT_EQ(surface_.listSelection, -1);
  dialog_->OnFieldChanged();
  dialog_->OnDestroy();
  EXPECT_EQ(settings.stored, "5");
}

// The refresh's prefix rule holds for entries that arrive later: a restored
// "1" selects "10" once its probe is in, with no refresh after it, and "1"
// once that arrives.
TEST_F(NeutralDialogTest, ThePrefixRuleAppliesToEntriesThatArriveLater) {
  ports.AddDevice(10, clock);
  Start("1");
  ASSERT_EQ(surface_.ListTexts(), (std::vector<std::string>{"3", "5", "10"}));
  EXPECT_EQ(surface_.listSelection, 2);
  ports.AddDevice(1, clock);
  dialog_->OnTimer();
  dialog_->OnTimer();
  EXPECT_TRUE(DeliverUntil([&] { return surface_.ListTexts().size() == 4; }));
  EXPECT_EQ(surface_.ListEntry(kIdPortList, surface_.listSelection), "1");
}

// A port slow to open (a Bluetooth port) neither holds up the start nor the
// restored port: the dialog is up before its probe has finished.
TEST_F(NeutralDialogTest, ASlowPortDoesNotHoldUpTheStart) {
  constexpr int kSlowMs = 1500;
  ports.DelayOpen(5, kSlowMs);
  const auto begin = std::chrono::steady_clock::now();
  settings.stored = "3";
  dialog_ = std::make_unique<LoggerDialog>(surface_, settings, platform());
  dialog_->OnInitDialog();
  const auto initialised = std::chrono::steady_clock::now();
  EXPECT_TRUE(Device(3).isOpen());
  if (initialised - begin < std::chrono::milliseconds(kSlowMs)) {
    EXPECT_TRUE(surface_.TakeProbed().empty()) << "the slow probe had not finished";
  }
  EXPECT_EQ(surface_.ListTexts(), std::vector<std::string>{"3"});
  EXPECT_TRUE(DeliverUntil([&] { return surface_.ListTexts() == std::vector<std::string>{"3", "5"}; }));
  EXPECT_EQ(surface_.listSelection, 0);
}

// A system that names none of its ports (Wine): every number is probed by
// name at the start and when the system says its ports changed, never on the
// quick look, and an entry leaves only when the system names it as gone.
TEST_F(NeutralDialogTest, PortsTheSystemDoesNotNameAreFoundByName) {
  ports.HideNames(true);
  ports.AddDevice(34, clock);
  Start("3");
  EXPECT_EQ(surface_.ListTexts(), (std::vector<std::string>{"3", "5", "34"}));
  EXPECT_EQ(ports.ProbeCount(255), 1);

  ports.AddDevice(200, clock);
  ports.RemoveDevice(5);
  for (int tick = 0; tick < 6; ++tick) dialog_->OnTimer();
  EXPECT_EQ(ports.ProbeCount(200), 1) << "probed at the start only: the quick look opens nothing";
  EXPECT_EQ(surface_.ListTexts(), (std::vector<std::string>{"3", "5", "34"}));

  dialog_->OnSystemPortsChanged();
  EXPECT_TRUE(DeliverUntil([&] { return surface_.ListTexts().size() == 4; }));
  EXPECT_EQ(surface_.ListTexts(), (std::vector<std::string>{"3", "5", "34", "200"}));
  EXPECT_EQ(ports.ProbeCount(34), 1) << "a listed port is not probed again";
  EXPECT_EQ(ports.ProbeCount(200), 2);

  dialog_->OnSystemPortRemoved(5);
  EXPECT_EQ(surface_.ListTexts(), (std::vector<std::string>{"3", "34", "200"}));
  dialog_->OnSystemPortRemoved(3);
  EXPECT_EQ(surface_.Text(kIdPortStatus), "COM3 lost");
  EXPECT_EQ(surface_.listSelection, 0);
}

// The run travels as its low 16 bits and is widened against the open run.
TEST(SentenceNoticeTest, TheRunSlotAndCountComeBackAsPosted) {
  struct Case {
    std::uint32_t posted;
    std::uint32_t open;
  } const cases[] = {{0, 0}, {7, 7}, {6, 7}, {0xFFFF, 0x10003}, {0x12345, 0x12346}, {0xFFFFFFFF, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.posted);
    const PostedSentence sentence = UnpackSentence(PackSentence(c.posted, 0xFEDCBA98, 29), c.open);
    EXPECT_EQ(sentence.run, c.posted);
    EXPECT_EQ(sentence.slotIndex, 29);
    EXPECT_EQ(sentence.sequenceNumber, 0xFEDCBA98u);
  }
}

}  // namespace
}  // namespace brisko
