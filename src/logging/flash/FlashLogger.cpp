#include "logging/flash/FlashLogger.h"

#include <cstdio>

#include "protocol/Hex.h"
#include "protocol/ReaderCommandSender.h"

namespace corvalis {
namespace {

constexpr int kRoutedCodes[] = {kStatusCode,  kModeCode,        kSerialCode,
                                kTypeCode,    kTimeCode,        kBatteryCode,
                                kAntennaCode, kSerialTakenCode, kPowerOffCode};
constexpr int kPowerOffTicks = 2;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The reply's data bytes as characters.
std::string DataText(const ReplyView& reply) {
  std::string text;
  for (int i = 0; i < reply.dataLength; ++i) {
    uint8_t c = 0;
    if (!ReadHexByte(reply.data + 2 * i, c)) break;
    text += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '.';
  }
  return text;
}

std::string Seconds(int64_t seconds) {
  return std::to_string(seconds) + " s";
}

}  // namespace

ReaderKind KindOfReaderType(std::string_view type) {
  ReaderKind kind;
  kind.antenna = StartsWith(type, "FIT");
  kind.handheld = kind.antenna || StartsWith(type, "UHF HH") || StartsWith(type, "DF HH") ||
                  StartsWith(type, "HH");
  return kind;
}

FlashLogger::FlashLogger(ReaderCommandSender& sender, MessageDispatcher& dispatcher,
                         const ChannelWriter& channels, const Clock& clock, FlashLogView& view)
    : sender_(sender),
      dispatcher_(dispatcher),
      channels_(channels),
      clock_(clock),
      view_(view),
      queue_(sender) {
  for (const int code : kRoutedCodes) sender_.AddReplyRoute(code, this);
  dispatcher_.AddObserver(this);
}

FlashLogger::~FlashLogger() {
  dispatcher_.RemoveObserver(this);
  for (const int code : kRoutedCodes) sender_.RemoveReplyRoute(code, this);
}

void FlashLogger::SetActive(bool on) {
  if (active_ == on) return;
  active_ = on;
  if (!on) {
    queue_.Clear();
    sender_.SetLongReplyWait(false);
    EndCapture();
  }
}

void FlashLogger::Send(std::string_view body, int acceptedErrorCode) {
  if (!channels_.IsOpen(queue_.Channel())) {
    view_.ShowPowerOff();
    return;
  }
  queue_.Send(body, acceptedErrorCode);
}

void FlashLogger::Send(const std::vector<std::string_view>& bodies) {
  if (!channels_.IsOpen(queue_.Channel())) {
    view_.ShowPowerOff();
    return;
  }
  queue_.Send(bodies);
}

void FlashLogger::SetMode(int mode, int timeout) {
  const std::string body = ModeBody(mode, timeout);
  Send(std::vector<std::string_view>{body, flash_body::kModeQuery});
}

std::string FlashLogger::SetSerialNumber(std::string_view serial, bool change) {
  const std::string body = SerialNumberBody(serial, change);
  if (body.empty()) return "A serial number has 1 to 10 printable characters";
  serialRequested_ = true;
  Send(body, kSerialTakenCode);
  return {};
}

void FlashLogger::Format() {
  formatRequested_ = true;
  Send(flash_body::kFormat);
}

void FlashLogger::PowerOff() {
  if (!channels_.IsOpen(queue_.Channel())) {
    view_.ShowPowerOff();
    return;
  }
  queue_.Send(flash_body::kPowerOff);
  powerOffTicks_ = kPowerOffTicks;
}

void FlashLogger::LayoutBar(int width) {
  bar_ = LayoutMemoryBar(status_, width);
}

bool FlashLogger::DragPlayedMark(int pixels, int width) {
  if (!dragAllowed_) return false;
  const std::string body = PlayedMarkBody(BlocksForDrag(pixels, bar_, status_, width));
  if (body.empty()) return false;
  dragAllowed_ = false;
  Send(body);
  return true;
}

bool FlashLogger::StartCapture(const std::string& path, TextFile::Mode mode) {
  EndCapture();
  if (!capture_.Open(path, mode)) return false;
  captureStarted_ = false;
  captureStart_ = clock_.Now();
  Send(PlaybackStartSequence());
  return true;
}

void FlashLogger::StopPlayback() {
  if (!capture_.IsOpen()) {
    Send(flash_body::kPlayStop);
    return;
  }
  EndCapture();
  Send(PlaybackEndSequence());
  view_.PlaybackEnded();
}

void FlashLogger::EndCapture() {
  capture_.Close();
  captureStarted_ = false;
}

void FlashLogger::Tick() {
  queue_.Tick();
  if (powerOffTicks_ > 0 && --powerOffTicks_ == 0) {
    queue_.Clear();
    view_.ShowPowerOff();
    view_.CloseChannel();
  }
}

void FlashLogger::TakeReply(const ReplyView& reply) {
  if (!active_ || reply.channel != queue_.Channel()) return;
  uint8_t first = 0;
  const bool haveByte = reply.dataLength >= 1 && ReadHexByte(reply.data, first);
  switch (reply.code) {
    case kStatusCode:
      TakeStatus(reply);
      break;
    case kModeCode: {
      uint8_t timeout = 0;
      if (reply.dataLength >= 2 && haveByte && ReadHexByte(reply.data + 2, timeout))
        view_.ShowMode(first, timeout);
      break;
    }
    case kSerialCode:
      serialRequested_ = false;
      view_.ShowSerialNumber(DataText(reply));
      break;
    case kSerialTakenCode:
      // Only the answer to our own serial number; any other f7 is the
      // sender's bad command.
      if (serialRequested_) {
        serialRequested_ = false;
        view_.ShowMessage("Set Serial number error", "Reader already has a serial number");
      }
      break;
    case kTypeCode:
      TakeReaderType(DataText(reply));
      break;
    case kBatteryCode:
      if (haveByte) {
        const char volts[] = {kLowerHexDigits[first >> 4], '.', kLowerHexDigits[first & 15], 0};
        view_.ShowBattery(volts);
      }
      break;
    case kAntennaCode:
      if (haveByte) view_.ShowAntenna((first & 1) == 0);
      break;
    case kTimeCode: {
      // YY MM DD weekday hh mm ss, two decimal digits each.
      if (reply.dataLength < 7) break;
      const char* d = reply.data;
      char text[32];
      std::snprintf(text, sizeof text, "20%.2s-%.2s-%.2s %.2s:%.2s:%.2s", d, d + 2, d + 4, d + 8,
                    d + 10, d + 12);
      view_.ShowReaderTime(text);
      break;
    }
    default:
      break;
  }
}

void FlashLogger::TakeStatus(const ReplyView& reply) {
  const StatusReply read =
      ReadStatusReply(std::string_view(reply.text, static_cast<size_t>(reply.length)), status_);
  if (read.kind == StatusReply::Kind::kFormatProgress) {
    const bool finished = formatRequested_ && read.format.progress == read.format.maximum;
    if (finished) formatRequested_ = false;
    view_.ShowFormatProgress(read.format, finished);
    return;
  }
  if (read.kind != StatusReply::Kind::kStatus) return;
  dragAllowed_ = true;
  sender_.SetLongReplyWait(status_.Recording());
  const bool counters = read.dataLength > 11;
  view_.ShowStatus(status_, read.dataLength);
  if (status_.Recording() && status_.Replaying()) {
    if (!warned_) {
      warned_ = true;
      view_.ShowMessage("Warning", kRecordPlayWarning);
    }
  } else {
    warned_ = false;
  }
  if (counters) FollowPlayback();
}

void FlashLogger::FollowPlayback() {
  if (!capture_.IsOpen()) return;
  // Replies to the start sequence itself still show the last playback's
  // counts; the capture follows from the reply to its last command on.
  if (!captureStarted_) {
    if (!queue_.Empty() || sender_.Awaiting()) return;
    captureStarted_ = true;
  }
  if (!status_.Replaying()) return;
  PlaybackProgress progress;
  progress.maximum = status_.RecordedRecords();
  progress.position = status_.PlayedRecords();
  const int64_t elapsed = clock_.Now().sec - captureStart_.sec;
  progress.elapsed = Seconds(elapsed);
  progress.estimate = progress.position <= 0
                          ? "???"
                          : Seconds(std::max<int64_t>(0, progress.maximum - progress.position) *
                                    elapsed / progress.position);
  view_.ShowPlayback(progress);
  // At least: a reader may report more played than recorded.
  if (progress.position >= progress.maximum) {
    EndCapture();
    Send(PlaybackEndSequence());
    view_.PlaybackEnded();
  }
}

void FlashLogger::TakeReaderType(std::string_view type) {
  const ReaderKind kind = KindOfReaderType(type);
  view_.ShowReaderType(type, kind);
  if (kind.handheld) Send(flash_body::kBatteryQuery);
  if (kind.antenna) Send(flash_body::kAntennaQuery);
}

void FlashLogger::ObserveMessage(int channel, const char* text, int length) {
  if (!active_ || channel != queue_.Channel() || length < 0) return;
  const std::string_view line(text, static_cast<size_t>(length));
  view_.ShowIncoming(line);
  if (capture_.IsOpen()) {
    capture_.Write(line);
    capture_.Write("\r\n");
  }
}

}  // namespace corvalis
