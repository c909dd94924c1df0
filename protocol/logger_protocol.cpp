#include "protocol/logger_protocol.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "brisko_version.h"
#include "link/decimal.h"
#include "link/sentence_slots.h"
#include "protocol/commands.h"

namespace brisko {

namespace {

constexpr std::string_view kPositionHeader = "$GPGGA";
constexpr std::string_view kRecommendedMinimumHeader = "$GPRMC";
constexpr std::string_view kReplyPrefix = "$NT";

constexpr char kNoPortText[] = "First select a COM port !";
constexpr char kConfirmDeletionText[] = "Proceed with flight deletion ?";
constexpr char kSetCaption[] = "Set";
constexpr char kDeleteCaption[] = "Delete all flights";
constexpr char kBusyText[] =
    "The logger is still busy with earlier commands.\nPlease try again in a moment.";
// The program's name titles the busy box, as the other framework-style messages.
constexpr const char* kBusyCaption = kApplicationName;

// Loggers with firmware from this revision on choose the flights to delete in
// the "Delete flight" dialog instead of taking one command for all.
constexpr double kDeleteFlightDialogFirmware = 2.8;

std::string SealText(std::string_view field) { return field == "1" ? "SEALED" : "UNSEALED"; }

// A field the logger sent as text, kept as its bytes.
LoggerText TextOf(std::string_view field) { return LoggerText(std::string(field)); }

// The fix rate in seconds becomes the index of its button (1 s is button 0).
std::int32_t FixRateIndexOf(std::int32_t seconds) {
  return seconds == std::numeric_limits<std::int32_t>::min() ? seconds : seconds - 1;
}

// Reads values the way a scan with a format such as "%lf,%lf,%d" does: a single
// comma between values, and from the first one that does not fit on nothing
// more is read.
class ValueScan {
 public:
  explicit ValueScan(std::string_view text) : rest_(text) {}

  bool Real(double& value) {
    return Next([&value](std::string_view text) { return ScanReal(text, value); });
  }
  bool Int(std::int32_t& value) {
    return Next([&value](std::string_view text) { return ScanInt(text, value); });
  }
  ValueScan& SkipReals(int count) {
    for (double unused = 0.0; count > 0; --count) Real(unused);
    return *this;
  }
  ValueScan& SkipInts(int count) {
    for (std::int32_t unused = 0; count > 0; --count) Int(unused);
    return *this;
  }

 private:
  // scan reads one value at the front of its text and returns the characters
  // it used, 0 for none.
  template <typename Scan>
  bool Next(Scan scan) {
    if (stopped_) return false;
    if (!first_) {
      if (rest_.empty() || rest_.front() != ',') return Stop();
      rest_.remove_prefix(1);
    }
    const std::size_t used = scan(rest_);
    if (used == 0) return Stop();
    rest_.remove_prefix(used);
    first_ = false;
    return true;
  }
  bool Stop() {
    stopped_ = true;
    return false;
  }

  std::string_view rest_;
  bool first_ = true;
  bool stopped_ = false;
};

// The ring takes a sequence whole or not at all, so a full ring never sends
// half of one; but a refused sequence may carry the user's latest edit, so the
// user is told rather than left to think it went out.
void QueueOrTellBusy(CommandPort& port, DialogCallouts& dialog, const std::vector<std::string>& sequence) {
  if (!port.QueueCommands(sequence)) dialog.ShowMessageBox(kBusyText, kBusyCaption, MessageBoxKind::Warning);
}

}  // namespace

LoggerProtocol::LoggerProtocol(DialogCallouts& dialog, CommandPort& port, WallClock wallClock)
    : dialog_(dialog), port_(port), wallClock_(std::move(wallClock)) {
  copyBuffer_.reserve(kMaxLineLength);
}

void LoggerProtocol::OnSentence(const SentenceSlots& slots, std::uint32_t sequenceNumber, int slotIndex) {
  // A slot that the worker began to refill since the post holds part of a
  // later line: dropping it is safer than dispatching a torn sentence.
  if (slots.CopySentence(slotIndex, sequenceNumber, copyBuffer_)) DispatchSentence(copyBuffer_);
}

void LoggerProtocol::DispatchSentence(std::string_view sentence) {
  sentence = sentence.substr(0, std::min<std::size_t>(sentence.size(), kMaxLineLength));
  sentence = sentence.substr(0, std::min(sentence.size(), sentence.find('\0')));
  FieldReader fields(sentence);

  const std::string_view header = fields.Take();
  if (header == kRecommendedMinimumHeader) {
    // Position fixes arrive as "$GPGGA" too; this one carries nothing we show.
  } else if (header == kPositionHeader) {
    record_.gpsFixLine = TextOf(fields.Rest());
  } else if (header.substr(0, kReplyPrefix.size()) == kReplyPrefix) {
    switch (LeadingInt(header.substr(kReplyPrefix.size()))) {
      case 0: HandleNt0(fields); break;
      case 3: HandleNt3(fields); break;
      case 6: HandleNt6(fields); break;
      case 7: HandleNt7(fields); break;
      case 800: HandleNt800(fields); break;
      case 801: HandleNt801(fields); break;
      case 805: HandleNt805(fields); break;
      default: break;  // replies we do not use
    }
  }

  lastSentenceTime_ = wallClock_();
  dialog_.RefreshControls();
}

// Positions 1 to 3 of replies 0 and 800: serial number, hardware and firmware
// revisions in tenths.
void LoggerProtocol::ReadIdentity(FieldReader& fields) {
  record_.serialNumber = TextOf(fields.Take());
  record_.hardwareRev = Tenths(fields.Int());
  record_.firmwareRev = Tenths(fields.Int());
}

// $NT0,12345,12,28,a,b,c,d,e,f,1,g,h,2
// identity (serial, hardware, firmware), six unused, seal, two unused, fix rate.
void LoggerProtocol::HandleNt0(FieldReader fields) {
  ReadIdentity(fields);
  fields.Skip(6);
  record_.sealStatus = SealText(fields.Take());
  fields.Skip(2);
  record_.fixRateIndex = FixRateIndexOf(fields.Int());

  family_ = LoggerFamily::First;
}

// $NT3,a,b,c,d,e,f,g: seven fields, none of them shown.
void LoggerProtocol::HandleNt3(FieldReader fields) { fields.Skip(7); }

// $NT6,JOHN SMITH,CLUB
// pilot name, competition class.
void LoggerProtocol::HandleNt6(FieldReader fields) {
  record_.pilotName = TextOf(fields.Take());
  record_.competitionClass = TextOf(fields.Take());
}

// $NT7,XY,LS4,D-1234
// competition id, glider type, glider id.
void LoggerProtocol::HandleNt7(FieldReader fields) {
  record_.competitionId = TextOf(fields.Take());
  record_.gliderType = TextOf(fields.Take());
  record_.gliderId = TextOf(fields.Take());
}

// $NT800,12345,12,30,a,b,2,3,1,c
// identity (serial, hardware, firmware), two unused, fix rate, record mode,
// seal, one unused.
void LoggerProtocol::HandleNt800(FieldReader fields) {
  ReadIdentity(fields);
  fields.Skip(2);
  record_.fixRateIndex = FixRateIndexOf(fields.Int());
  record_.recordMode = fields.Int();
  record_.sealStatus = SealText(fields.Take());

  // The record-mode controls are shown once when the logger turns out to be
  // of the second family, not again for every reply 800.
  if (family_ != LoggerFamily::Second) {
    family_ = LoggerFamily::Second;
    dialog_.ShowRecordControls(Visibility::Shown);
  }
}

// $NT801,12.6,0.0,0.0,0.0,0,0,215,473,0
// supply voltage, three unused reals, two unused integers, temperature and
// humidity in tenths, one unused integer: read in one scan that stops at the
// first character that does not fit. Only values actually read are stored; a
// field whose value was not read keeps what it had.
void LoggerProtocol::HandleNt801(FieldReader fields) {
  ValueScan scan(fields.Rest());
  double volts = 0.0;
  std::int32_t temperature = 0;
  std::int32_t humidity = 0;
  const bool voltsRead = scan.Real(volts);
  scan.SkipReals(3).SkipInts(2);
  const bool temperatureRead = scan.Int(temperature);
  const bool humidityRead = scan.Int(humidity);

  if (temperatureRead) record_.temperature = Tenths(temperature);
  if (humidityRead) record_.humidity = Tenths(humidity);
  if (voltsRead) record_.inputVoltage = OneDecimal(volts);
}

// $NT805,4,LS4
// selector 1..5 naming the text setting, then its value.
void LoggerProtocol::HandleNt805(FieldReader fields) {
  const std::int32_t selector = fields.Int();
  const std::string_view value = fields.Take();
  switch (selector) {
    case 1: record_.pilotName = TextOf(value); break;
    case 2: record_.competitionClass = TextOf(value); break;
    case 3: record_.competitionId = TextOf(value); break;
    case 4: record_.gliderType = TextOf(value); break;
    case 5: record_.gliderId = TextOf(value); break;
    default: break;
  }
}

void LoggerProtocol::OnTimer() {
  if (lastSentenceTime_ == 0) return;
  const std::int64_t now = wallClock_();
  // now - lastSentenceTime_ > 1, without overflow for any pair of stamps.
  const bool stale = now > lastSentenceTime_ &&
                     static_cast<std::uint64_t>(now) - static_cast<std::uint64_t>(lastSentenceTime_) > 1;
  if (stale) {
    ClearDeviceFields();
    lastSentenceTime_ = 0;
  }
}

void LoggerProtocol::ClearDeviceFields() {
  record_.serialNumber = LoggerText();
  record_.firmwareRev.clear();
  record_.hardwareRev.clear();
  record_.gpsFixLine = LoggerText();
  record_.fixRateIndex = -1;
  record_.sealStatus.clear();
  record_.pilotName = LoggerText();
  record_.competitionClass = LoggerText();
  record_.competitionId = LoggerText();
  record_.gliderType = LoggerText();
  record_.gliderId = LoggerText();
  dialog_.RefreshControls();
}

bool LoggerProtocol::RefuseWithoutPort(const char* caption) {
  if (port_.IsPortOpen()) return false;
  dialog_.ShowMessageBox(kNoPortText, caption, MessageBoxKind::Warning);
  return true;
}

bool LoggerProtocol::ConfirmDeletion() {
  const bool yes =
      dialog_.ShowMessageBox(kConfirmDeletionText, kDeleteCaption, MessageBoxKind::Question) == MessageBoxAnswer::Yes;
  // The port may have gone while the question was up (a lost device is
  // handled during the modal run): the answer then must not queue into a
  // closed link, where it would vanish without a word.
  return yes && !RefuseWithoutPort(kDeleteCaption);
}

void LoggerProtocol::OnSet() {
  if (RefuseWithoutPort(kSetCaption)) return;
  if (family_ != LoggerFamily::Unknown) QueueOrTellBusy(port_, dialog_, SetSequence(family_, record_));
}

void LoggerProtocol::OnDeleteAllFlights() {
  if (RefuseWithoutPort(kDeleteCaption)) return;
  if (family_ == LoggerFamily::Second) {
    if (ConfirmDeletion()) QueueOrTellBusy(port_, dialog_, {std::string(kDeleteFlightsSecondFamily)});
    return;
  }
  if (LeadingReal(record_.firmwareRev) >= kDeleteFlightDialogFirmware) {
    dialog_.RunDeleteFlightDialog();
    return;
  }
  if (ConfirmDeletion()) QueueOrTellBusy(port_, dialog_, {std::string(kDeleteFlightsOldFirmware)});
}

}  // namespace brisko
