#include "app/command_run.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <tuple>

#include <nlohmann/json.hpp>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "app/settings_file.h"
#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "link/decimal.h"
#include "link/port_names.h"
#include "protocol/core_loop.h"
#include "protocol/diagnostics_report.h"
#include "protocol/logger_core.h"
#include "protocol/profile.h"

namespace brisko {

namespace {

using namespace std::chrono_literals;
using Json = nlohmann::ordered_json;

// A logger answers its identification within a few hundred milliseconds; a
// slow adapter gets ten times that.
constexpr auto kAnswerTimeout = 5000ms;
// Its replies to the three commands come one after the other: once the
// commands have left and the record has not changed for this long, it holds
// everything the logger reports.
constexpr auto kQuietTime = 700ms;
constexpr auto kSettleLimit = 5000ms;
// Nine commands, each more than 100 ms after the one before.
constexpr auto kCommandsLeaveLimit = 10000ms;
// Every probe a look causes has come back well before this, even with ports
// slow to open (Bluetooth) among them.
constexpr auto kListLimit = 30000ms;

// What the logger reports about itself and its settings: its readings and
// position change by themselves and do not count.
auto Reported(const DeviceRecord& r) {
  return std::tie(r.serialNumber, r.firmwareRev, r.hardwareRev, r.sealStatus, r.pilotName, r.competitionClass,
                  r.competitionId, r.gliderType, r.gliderId, r.fixRateIndex, r.recordMode);
}

std::string RecordModeName(std::int32_t recordMode) {
  const ControlTemplate* button = FindControl(MainDialogTemplate(), kIdRecordModeNo + recordMode);
  return recordMode >= 0 && recordMode < 4 && button != nullptr ? button->text : std::to_string(recordMode);
}

Json RecordJson(const DeviceRecord& r, LoggerFamily family, int port, const CodePage& codePage) {
  Json shown;
  shown["port"] = port;
  shown["status"] = r.portStatus;
  shown["family"] = family == LoggerFamily::First ? "first" : family == LoggerFamily::Second ? "second" : "";
  shown["serial-number"] = ShownText(r.serialNumber, codePage);
  shown["hardware-revision"] = r.hardwareRev;
  shown["firmware-revision"] = r.firmwareRev;
  shown["seal"] = r.sealStatus;
  for (const ProfileText& text : kProfileTexts) shown[text.key] = ShownText(r.*text.field, codePage);
  const Profile settings = ProfileOf(r, codePage);
  shown[kFixRateKey] = settings.fixRateSeconds ? Json(*settings.fixRateSeconds) : Json(nullptr);
  shown["record-mode"] = family == LoggerFamily::Second ? RecordModeName(r.recordMode) : "";
  shown["input-voltage"] = r.inputVoltage;
  shown["temperature"] = r.temperature;
  shown["humidity"] = r.humidity;
  shown["position"] = ShownText(r.gpsFixLine, codePage);
  return shown;
}

void Print(const Json& shown, bool json, std::ostream& out) {
  if (json) {
    out << shown.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
    return;
  }
  for (const auto& [key, value] : shown.items()) {
    out << key << ':';
    if (value.is_string() && !value.get<std::string>().empty()) out << ' ' << value.get<std::string>();
    if (value.is_number() || value.is_boolean()) out << ' ' << value.dump();
    out << '\n';
  }
}

// The core without a window, on this thread.
class CommandSession : public DialogCallouts {
 public:
  CommandSession(const Platform& platform, const CommandLine& line, Terminal& terminal, std::ostream& err)
      : line_(line), terminal_(terminal), err_(err), ports_(platform.ports), core_(*this, poster_, platform) {}

  // --- DialogCallouts: there are no controls; the record is the only copy ---
  void RefreshControls() override {}
  bool ReadBackControls() override { return true; }
  void ShowRecordControls(Visibility) override {}
  void EnablePortControls(bool) override {}
  // The list is read from the core when asked for (ListPorts).
  void InsertPortEntry(int, int) override {}
  void RemovePortEntry(int) override {}
  MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                                  MessageBoxKind kind) override {
    if (kind == MessageBoxKind::Question) {
      if (line_.yes) return MessageBoxAnswer::Yes;
      if (terminal_.Interactive()) {
        if (terminal_.AskYesNo(text)) return MessageBoxAnswer::Yes;
        err_ << "Nothing deleted\n";
        return MessageBoxAnswer::No;
      }
      err_ << caption << ": no terminal to ask \"" << text << "\"; nothing deleted (--yes answers for a script)\n";
      refused_ = true;
      return MessageBoxAnswer::No;
    }
    err_ << caption << ": " << text << '\n';
    refused_ = true;
    return MessageBoxAnswer::Ok;
  }
  void RunDeleteFlightDialog() override {
    err_ << "This logger (firmware " << core_.record().firmwareRev
         << ") has its flights chosen one by one in the window's \"Delete flight\" dialog; nothing deleted\n";
    refused_ = true;
  }

  LoggerCore& core() { return core_; }
  DeviceRecord& record() { return core_.record(); }
  bool refused() const { return refused_; }

  // Opens the port; false with the system's reason on the error stream.
  bool Open(int port) {
    core_.OpenPort(port);
    if (core_.IsPortOpen()) return true;
    err_ << record().portStatus << ": " << core_.portStatusDetail() << '\n';
    return false;
  }

  // Waits for the logger's identification on the open port (queued by the
  // open or by Reidentify) and for the rest of its replies.
  bool Identify() {
    const bool answered = Pump(
        [&] { return !core_.IsPortOpen() || (core_.family() != LoggerFamily::Unknown && !record().serialNumber.empty()); },
        kAnswerTimeout);
    if (!answered || !core_.IsPortOpen()) {
      err_ << PortName(HeldPort()) << ": no logger answered";
      if (!core_.portStatusDetail().empty()) err_ << " (" << core_.portStatusDetail() << ')';
      err_ << '\n';
      return false;
    }
    DeviceRecord last = record();
    auto quietSince = std::chrono::steady_clock::now();
    Pump(
        [&] {
          const auto now = std::chrono::steady_clock::now();
          if (Reported(record()) != Reported(last)) {
            last = record();
            quietSince = now;
          }
          return !core_.CommandsPending() && now - quietSince >= kQuietTime;
        },
        kSettleLimit);
    return core_.IsPortOpen();
  }

  // Lets the queued commands leave; false when the port went meanwhile.
  bool WaitForCommandsToLeave() {
    return Pump([&] { return !core_.IsPortOpen() || !core_.CommandsPending(); }, kCommandsLeaveLimit) &&
           core_.IsPortOpen();
  }

  int HeldPort() const { return core_.HeldPortNumber(); }

  // The ports as the window lists them: named by the system, or found by a
  // probe where it names none, and openable.
  std::vector<int> ListPorts() { return loop_.ListAfterLook(core_, ports_.PresentPorts(), kListLimit); }

 private:
  bool Pump(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    return loop_.PumpUntil(core_, done, timeout);
  }

  const CommandLine& line_;
  Terminal& terminal_;
  std::ostream& err_;
  bool refused_ = false;
  PortSystem& ports_;
  QueuedPoster poster_;
  CoreLoop loop_{poster_};
  // Last, so that it is destroyed first: its worker posts to the poster.
  LoggerCore core_;
};

int ListPorts(CommandSession& session, const CommandLine& line, std::ostream& out) {
  Json ports = Json::array();
  for (int port : session.ListPorts()) {
    if (!line.json) out << port << '\n';
    ports.push_back({{"port", port}, {"name", PortName(port)}, {"device", DevicePathForPort(port)}});
  }
  if (line.json) out << ports.dump(2) << '\n';
  return kExitDone;
}

// The profile that --apply and --set ask for, judged before any port opens.
int AskedProfile(const CommandLine& line, const CodePage& codePage, Profile& profile, std::ostream& err) {
  std::string error;
  if (!line.profileFile.empty()) error = ReadProfileFile(line.profileFile, profile);
  for (std::size_t i = 0; error.empty() && i < line.settings.size(); ++i) {
    error = SetProfileValue(line.settings[i], profile);
  }
  DeviceRecord trial;
  if (error.empty()) error = ApplyProfile(profile, codePage, trial);
  if (error.empty() && profile.empty()) error = "the profile holds no setting";
  if (error.empty()) return kExitDone;
  err << "Refused, nothing sent: " << error << '\n';
  return kExitRefused;
}

// The settings asked for that the logger does not hold, one line each.
std::vector<std::string> Differences(const Profile& asked, const DeviceRecord& expected, const DeviceRecord& held,
                                     const CodePage& codePage) {
  std::vector<std::string> differences;
  for (std::size_t i = 0; i < kProfileTexts.size(); ++i) {
    const ProfileText& text = kProfileTexts[i];
    if (!asked.texts[i] || expected.*text.field == held.*text.field) continue;
    differences.push_back(std::string(text.key) + ": asked \"" + *asked.texts[i] + "\", the logger holds \"" +
                          ShownText(held.*text.field, codePage) + "\"");
  }
  if (asked.fixRateSeconds && expected.fixRateIndex != held.fixRateIndex) {
    differences.push_back(std::string(kFixRateKey) + ": asked " + std::to_string(*asked.fixRateSeconds) +
                          ", the logger holds " + std::to_string(held.fixRateIndex + 1));
  }
  return differences;
}

int Apply(CommandSession& session, const CommandLine& line, const Profile& asked, const CodePage& codePage,
          std::ostream& out, std::ostream& err) {
  // Judged before the port opened; the logger's other settings fill the rest.
  (void)ApplyProfile(asked, codePage, session.record());
  const DeviceRecord expected = session.record();
  session.core().OnSet();
  if (session.refused()) return kExitRefused;
  if (!session.WaitForCommandsToLeave() || !session.core().Reidentify() || !session.Identify()) {
    err << "Not verified: the logger did not report its settings after Set\n";
    return kExitRefused;
  }
  const std::vector<std::string> differences = Differences(asked, expected, session.record(), codePage);
  Json shown = RecordJson(session.record(), session.core().family(), session.HeldPort(), codePage);
  shown["verified"] = differences.empty();
  Print(shown, line.json, out);
  for (const std::string& difference : differences) err << "Not verified: " << difference << '\n';
  return differences.empty() ? kExitDone : kExitRefused;
}

int DeleteFlights(CommandSession& session, std::ostream& out) {
  const std::uint64_t before = session.core().sequencesQueued();
  session.core().OnDeleteAllFlights();
  if (session.refused() || session.core().sequencesQueued() == before) return kExitRefused;
  if (!session.WaitForCommandsToLeave()) return kExitNoLogger;
  out << "All flights deleted\n";
  return kExitDone;
}

}  // namespace

bool ConsoleTerminal::Interactive() const {
#if defined(_WIN32)
  // A console, not just any character device: input from NUL is one too.
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
#else
  return isatty(fileno(stdin)) != 0;
#endif
}

bool ConsoleTerminal::AskYesNo(const std::string& question) {
  std::cerr << question << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

int RunCommand(const CommandLine& line, const Platform& platform, const CodePage& codePage, Terminal& terminal,
               std::ostream& out, std::ostream& err) {
  CommandSession session(platform, line, terminal, err);
  if (!line.traceFile.empty()) {
    std::string error;
    if (!session.core().StartTrace(line.traceFile, error)) {
      err << "No trace: " << error << '\n';
      return kExitUsage;
    }
  }
  if (line.command == Command::ListPorts) return ListPorts(session, line, out);
  if (line.command == Command::Diagnostics) {
    // Ports are listed as the window lists them; none is opened beyond the
    // probes that listing makes anyway.
    out << MachineDiagnosticsReport(session.core(), session.ListPorts());
    return kExitDone;
  }

  Profile asked;
  if (line.command == Command::Apply) {
    const int judged = AskedProfile(line, codePage, asked, err);
    if (judged != kExitDone) return judged;
  }
  // The saved port only when none is given: a script leaves BRISKO.INI alone.
  const int port = line.port != 0 ? line.port : LeadingInt(ReadSettingsFile());
  if (port <= 0) {
    err << "No --port given and " << kSettingsFileName << " names no port\n";
    return kExitUsage;
  }
  if (!session.Open(port)) return kExitPortNotOpened;
  if (!session.Identify()) return kExitNoLogger;

  int status = kExitDone;
  switch (line.command) {
    case Command::Show:
      Print(RecordJson(session.record(), session.core().family(), port, codePage), line.json, out);
      break;
    case Command::Apply: status = Apply(session, line, asked, codePage, out, err); break;
    case Command::DeleteFlights: status = DeleteFlights(session, out); break;
    case Command::ListPorts:
    case Command::Diagnostics:
    case Command::Window: break;
  }
  // As when the window closes: what is queued goes out before the port closes.
  session.core().ExitDrain();
  return status;
}

std::optional<int> RunCommandLine(const std::vector<std::string>& args, const CodePage& codePage, CommandLine& line) {
  if (const std::optional<int> ended = ParseCommandLine(args, line, std::cout, std::cerr)) return ended;
  if (line.command == Command::Window) return std::nullopt;
  return RunMachineCommand(line, codePage, std::cout);
}

int RunMachineCommand(const CommandLine& line, const CodePage& codePage, std::ostream& out) {
  const MachinePlatform machine;
  ConsoleTerminal terminal;
  const int status = RunCommand(line, machine.platform(), codePage, terminal, out, std::cerr);
  out.flush();
  return status;
}

}  // namespace brisko
