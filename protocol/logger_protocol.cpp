#include "protocol/logger_protocol.h"

#include <algorithm>
#include <limits>

#include "link/sentence_slots.h"
#include "protocol/commands.h"
#include "protocol/decimal.h"

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
constexpr char kBusyCaption[] = "brisko";  // the program's name, as on the other framework-style messages

// Loggers with firmware from this revision on choose the flights to delete in
// the "Delete flight" dialog instead of taking one command for all.
constexpr double kDeleteFlightDialogFirmware = 2.8;

std::string SealText(const std::string& field) { return field == "1" ? "SEALED" : "UNSEALED"; }

// The fix rate in seconds becomes the index of its button (1 s is button 0).
std::int32_t FixRateIndexOf(const std::string& field) {
  const std::int32_t seconds = LeadingInt(field);
  return seconds == std::numeric_limits<std::int32_t>::min() ? seconds : seconds - 1;
}

// The ring takes a sequence whole or not at all, so a full ring never sends
// half of one; but a refused sequence may carry the user's latest edit, so the
// user is told rather than left to think it went out.
void QueueOrTellBusy(CommandPort& port, DialogCallouts& dialog, const std::vector<std::string>& sequence) {
  if (!port.QueueCommands(sequence)) dialog.ShowMessageBox(kBusyText, kBusyCaption, MessageBoxKind::Warning);
}

}  // namespace

LoggerProtocol::LoggerProtocol(DialogCallouts& dialog, CommandPort& port) : dialog_(dialog), port_(port) {
  workLine_.reserve(kMaxLineLength);
}

bool LoggerProtocol::NextField(std::string& field) {
  field.clear();
  const std::size_t comma = workLine_.find(',', workPos_);
  const std::size_t end = comma == std::string::npos ? workLine_.size() : comma;
  field.append(workLine_, workPos_, end - workPos_);
  workPos_ = comma == std::string::npos ? workLine_.size() : comma + 1;
  return !field.empty();
}

void LoggerProtocol::setWorkLine(std::string_view text) {
  workLine_.assign(text.data(), text.size());
  workPos_ = 0;
}

std::string_view LoggerProtocol::workLine() const {
  return std::string_view(workLine_).substr(workPos_);
}

bool LoggerProtocol::OnSentence(const SentenceSlots& slots, std::uint32_t sequenceNumber, int slotIndex) {
  // A slot that the worker began to refill since the post holds part of a
  // later line: dropping it is safer than dispatching a torn sentence.
  if (!slots.CopySentence(slotIndex, sequenceNumber, copyBuffer_)) return false;
  DispatchSentence(copyBuffer_);
  return true;
}

void LoggerProtocol::DispatchSentence(std::string_view sentence) {
  sentence = sentence.substr(0, std::min<std::size_t>(sentence.size(), kMaxLineLength));
  sentence = sentence.substr(0, std::min(sentence.size(), sentence.find('\0')));
  setWorkLine(sentence);

  NextField(header_);
  const std::string_view header = header_;
  if (header == kRecommendedMinimumHeader) {
    // Position fixes arrive as "$GPGGA" too; this one carries nothing we show.
  } else if (header == kPositionHeader) {
    record_.gpsFixLine.assign(workLine().data(), workLine().size());
  } else if (header.substr(0, kReplyPrefix.size()) == kReplyPrefix) {
    switch (LeadingInt(header.substr(kReplyPrefix.size()))) {
      case 0: HandleNt0(); break;
      case 3: HandleNt3(); break;
      case 6: HandleNt6(); break;
      case 7: HandleNt7(); break;
      case 800: HandleNt800(); break;
      case 801: HandleNt801(); break;
      case 805: HandleNt805(); break;
      default: break;  // replies we do not use
    }
  }

  lastSentenceTime_ = dialog_.CurrentTime();
  dialog_.RefreshControls();
  setWorkLine(std::string_view());
}

// Positions 1 to 3 of replies 0 and 800: serial number, hardware and firmware
// revisions in tenths.
void LoggerProtocol::ReadIdentity() {
  NextField(record_.serialNumber);
  NextField(field_);
  record_.hardwareRev = Tenths(LeadingInt(field_));
  NextField(field_);
  record_.firmwareRev = Tenths(LeadingInt(field_));
}

// $NT0,12345,12,28,a,b,c,d,e,f,1,g,h,2
// serial, hardware and firmware in tenths, six unused, seal, two unused, fix rate.
void LoggerProtocol::HandleNt0() {
  ReadIdentity();
  for (int unused = 4; unused <= 9; ++unused) NextField(field_);
  NextField(field_);
  record_.sealStatus = SealText(field_);
  NextField(field_);
  NextField(field_);
  NextField(field_);
  record_.fixRateIndex = FixRateIndexOf(field_);

  nt0Family_ = true;
  nt800Family_ = false;
}

// $NT3,a,b,c,d,e,f,g: seven fields, none of them shown.
void LoggerProtocol::HandleNt3() {
  for (int unused = 1; unused <= 7; ++unused) NextField(field_);
}

// $NT6,JOHN SMITH,CLUB
void LoggerProtocol::HandleNt6() {
  NextField(record_.pilotName);
  NextField(record_.competitionClass);
}

// $NT7,XY,LS4,D-1234
void LoggerProtocol::HandleNt7() {
  NextField(record_.competitionId);
  NextField(record_.gliderType);
  NextField(record_.gliderId);
}

// $NT800,12345,12,30,a,b,2,3,1,c
// serial, hardware and firmware in tenths, two unused, fix rate, record mode,
// seal, one unused.
void LoggerProtocol::HandleNt800() {
  ReadIdentity();
  NextField(field_);
  NextField(field_);
  NextField(field_);
  record_.fixRateIndex = FixRateIndexOf(field_);
  NextField(field_);
  record_.recordMode = LeadingInt(field_);
  NextField(field_);
  record_.sealStatus = SealText(field_);
  NextField(field_);

  if (!nt800Family_) {
    nt0Family_ = false;
    nt800Family_ = true;
    dialog_.ShowRecordControls(Visibility::Shown);
  }
}

// $NT801,12.6,0.0,0.0,0.0,0,0,215,473,0
// Four reals then five integers, read in one scan that stops at the first
// character that does not fit: supply voltage, three unused, two unused,
// temperature and humidity in tenths, one unused. Only values actually read
// are stored; a field whose value was not read keeps what it had.
void LoggerProtocol::HandleNt801() {
  constexpr int kReals = 4;
  constexpr int kValues = 9;
  double reals[kReals] = {};
  std::int32_t ints[kValues - kReals] = {};

  const std::string_view rest = workLine();
  std::size_t pos = 0;
  int read = 0;
  while (read < kValues) {
    if (read > 0) {
      if (pos >= rest.size() || rest[pos] != ',') break;
      ++pos;
    }
    const std::string_view tail = rest.substr(pos);
    const std::size_t used = read < kReals ? ScanReal(tail, reals[read]) : ScanInt(tail, ints[read - kReals]);
    if (used == 0) break;
    pos += used;
    ++read;
  }

  if (read >= 7) record_.temperature = Tenths(ints[6 - kReals]);
  if (read >= 8) record_.humidity = Tenths(ints[7 - kReals]);
  if (read >= 1) record_.inputVoltage = OneDecimal(reals[0]);
}

// $NT805,4,LS4: selector 1..5 names the text setting, then its value.
void LoggerProtocol::HandleNt805() {
  NextField(field_);
  const std::int32_t selector = LeadingInt(field_);
  NextField(field_);
  switch (selector) {
    case 1: record_.pilotName = field_; break;
    case 2: record_.competitionClass = field_; break;
    case 3: record_.competitionId = field_; break;
    case 4: record_.gliderType = field_; break;
    case 5: record_.gliderId = field_; break;
    default: break;
  }
}

void LoggerProtocol::OnTimer() {
  if (lastSentenceTime_ == 0) return;
  const std::int64_t now = dialog_.CurrentTime();
  // now - lastSentenceTime_ > 1, without overflow for any pair of stamps.
  const bool stale = now > lastSentenceTime_ &&
                     static_cast<std::uint64_t>(now) - static_cast<std::uint64_t>(lastSentenceTime_) > 1;
  if (stale) {
    ClearDeviceFields();
    lastSentenceTime_ = 0;
  }
}

void LoggerProtocol::ClearDeviceFields() {
  record_.serialNumber.clear();
  record_.firmwareRev.clear();
  record_.hardwareRev.clear();
  record_.gpsFixLine.clear();
  record_.fixRateIndex = -1;
  record_.sealStatus.clear();
  record_.pilotName.clear();
  record_.competitionClass.clear();
  record_.competitionId.clear();
  record_.gliderType.clear();
  record_.gliderId.clear();
  dialog_.RefreshControls();
}

void LoggerProtocol::OnSet() {
  if (!port_.IsPortOpen()) {
    dialog_.ShowMessageBox(kNoPortText, kSetCaption, MessageBoxKind::Warning);
    return;
  }
  if (nt0Family_) {
    QueueOrTellBusy(port_, dialog_, FirstFamilySetSequence(record_));
  } else if (nt800Family_) {
    QueueOrTellBusy(port_, dialog_, SecondFamilySetSequence(record_));
  }
}

void LoggerProtocol::OnDeleteAllFlights() {
  if (!port_.IsPortOpen()) {
    dialog_.ShowMessageBox(kNoPortText, kDeleteCaption, MessageBoxKind::Warning);
    return;
  }
  if (nt800Family_) {
    if (dialog_.ShowMessageBox(kConfirmDeletionText, kDeleteCaption, MessageBoxKind::Question) == MessageBoxAnswer::Yes) {
      QueueOrTellBusy(port_, dialog_, {std::string(kDeleteFlightsSecondFamily)});
    }
    return;
  }
  if (LeadingReal(record_.firmwareRev) >= kDeleteFlightDialogFirmware) {
    dialog_.RunDeleteFlightDialog();
    return;
  }
  if (dialog_.ShowMessageBox(kConfirmDeletionText, kDeleteCaption, MessageBoxKind::Question) == MessageBoxAnswer::Yes) {
    QueueOrTellBusy(port_, dialog_, {std::string(kDeleteFlightsOldFirmware)});
  }
}

}  // namespace brisko
