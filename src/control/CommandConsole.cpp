#include "control/CommandConsole.h"

#include <cstdio>
#include <ctime>

#include "common/ChannelIndex.h"
#include "control/FreeText.h"
#include "protocol/Hex.h"
#include "protocol/MessageDispatcher.h"
#include "protocol/ReaderCommandSender.h"

namespace corvalis {
namespace {

void AppendByte(std::string& out, int value) {
  out += kLowerHexDigits[(value >> 4) & 15];
  out += kLowerHexDigits[value & 15];
}

PredefinedCommand Framed(std::string body) {
  return {PredefinedCommand::Kind::kFramed, std::move(body)};
}

}  // namespace

std::string DateTimeFields(int64_t secondsSince1970) {
  const auto t = static_cast<std::time_t>(secondsSince1970);
  std::tm local{};
  localtime_r(&t, &local);
  char text[64];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d%02d", local.tm_year % 100,
                local.tm_mon + 1, local.tm_mday, local.tm_wday, local.tm_hour, local.tm_min,
                local.tm_sec % 60);
  return text;
}

PredefinedCommand PredefinedCommandFor(int index, bool extended, const CatalogueData& data,
                                       const DecoderCommsChoice& comms,
                                       std::string_view dateTimeFields) {
  std::string body;
  switch (index) {
    case kGetDateTime:
      return Framed(extended ? "0044" : "0002");
    case kSetDateTime:
      return Framed((extended ? "0744" : "0701") + std::string(dateTimeFields));
    case kGetStats:
      return Framed("000a");
    case kSetConfiguration:
      body = "0103";
      AppendByte(body, comms.ConfigurationByte());
      return Framed(body);
    case 4:
      return Framed("02080000");
    case 5:
      return Framed("0208ffff");
    case 6:
      return Framed("010d21");
    case 7:
      return Framed("010d02");
    case 8:
      return Framed("010d00");
    case 9:
      return Framed("010311");
    case 10:
      return Framed("010319");
    case 11:
      return Framed("010310");
    case 12:
      return Framed("010318");
    case 13:
      return Framed("010315");
    case 14:
    case 15:
    case 16:
    case 17:
      body = "0105";
      AppendByte(body, index - 14);
      return Framed(body);
    case kXon:
      return {PredefinedCommand::Kind::kSingleByte, std::string(1, '\x11')};
    case kXoff:
      return {PredefinedCommand::Kind::kSingleByte, std::string(1, '\x13')};
    case kRfOn:
      return Framed("010601");
    case kRfOff:
      return Framed("010600");
    case kAuxOn:
      return Framed("010701");
    case kAuxOff:
      return Framed("010700");
    case kBoot:
      return Framed("010c00");
    case kReset:
      return Framed("010c01");
    case kSetTagFilter:
      body = "0a11";
      for (uint8_t b : data.formatBytes) AppendByte(body, b);
      return Framed(body);
    case kTagBaudI:
      body = "058102000206";
      AppendByte(body, data.tagBaud);
      return Framed(body);
    case kTagBaudQ:
      body = "058103000206";
      AppendByte(body, data.tagBaud);
      return Framed(body);
    case kMessageMode:
      body = "0309";
      AppendByte(body, data.messageMode);
      AppendByte(body, data.eventTimeout);
      body += "07";
      return Framed(body);
    case kWiegandOutput:
      body = "020f";
      AppendByte(body, data.wiegandFlags);
      AppendByte(body, data.retransmitInterval);
      return Framed(body);
    case kSetReaderId:
      body = "0104";
      AppendByte(body, data.newReaderId);
      return Framed(body);
    case kDecoderRegisterI:
      return Framed("048102000100");
    case kDecoderRegisterQ:
      return Framed("048103000100");
    case kDecoderRegisterI2:
      return Framed("038102010a");
    case kDecoderRegisterQ2:
      return Framed("038103010a");
    case kTagBaudController:
      body = "0112";
      AppendByte(body, data.tagBaud);
      return Framed(body);
    default:
      return {};
  }
}

void CommandConsole::SendPredefinedCommand(int channel, int readerId, int index) {
  const bool extended = readerId >= kExtendedDateTime;
  if (extended) readerId -= kExtendedDateTime;
  const bool dateTime = index == kGetDateTime || index == kSetDateTime;
  // The reader sets its clock a moment after the line leaves; the extended
  // form takes longer to reach it.
  const WallTime now = clock_.Now();
  const int64_t ahead = index == kSetDateTime ? (extended ? 2 : 1) : 0;
  const PredefinedCommand command = PredefinedCommandFor(
      index, extended, data_, comms_,
      index == kSetDateTime ? DateTimeFields(int64_t{now.sec} + ahead) : std::string());
  switch (command.kind) {
    case PredefinedCommand::Kind::kNothing:
      return;
    case PredefinedCommand::Kind::kSingleByte:
      // Flow control, not a command: it goes out even while a test records.
      SendToChannel(channel, command.body);
      return;
    case PredefinedCommand::Kind::kFramed:
      break;
  }
  if (extended && dateTime && !Capturing() && channels_.IsOpen(channel)) {
    dateTimeSent_ = {true, channel, WallTime{static_cast<int32_t>(now.sec + ahead), now.ms}};
  }
  SendCapturable(channel, readerId, command.body);
}

void CommandConsole::SendReaderCommand(int channel, int readerId, std::string_view body) {
  sender_.SendCommand(channel, readerId, body);
}

void CommandConsole::SendCapturable(int channel, int readerId, std::string_view body) {
  if (Capturing()) {
    capture_->CaptureCommand(channel, readerId, body);
    return;
  }
  SendReaderCommand(channel, readerId, body);
}

void CommandConsole::SendReaderBytes(int channel, int readerId, int commandCode,
                                     std::span<const int> values) {
  std::string data;
  int count = 0;
  for (int value : values) {
    if (value < 0 || value > 255) break;
    AppendByte(data, value);
    ++count;
  }
  std::string body;
  AppendByte(body, count);
  AppendByte(body, commandCode & 0xFF);
  SendReaderCommand(channel, readerId, body + data);
}

void CommandConsole::SendToChannel(int channel, std::string_view bytes) {
  sender_.SendLine(channel, bytes.data(), static_cast<int>(bytes.size()));
}

void CommandConsole::SendFreeText(int channel, std::string_view typed, bool raw) {
  if (!IsValidChannel(channel) || typed.empty()) return;
  const std::string unescaped = UnescapeFreeText(typed);
  if (unescaped.size() > 3) sender_.SetExpectedReaderId(FreeTextReaderId(unescaped));
  SendToChannel(channel, PrepareFreeText(typed, raw));
}

void CommandConsole::TickDeferred() {
  const std::optional<DeferredSlot> due = deferred_.Tick(sender_.Awaiting());
  if (!due) return;
  if (due->index >= 0) {
    SendPredefinedCommand(due->channel, due->readerId, due->index);
  } else {
    SendReaderCommand(due->channel, due->readerId, due->body);
  }
}

}  // namespace corvalis
