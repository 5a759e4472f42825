#include "protocol/ReaderCommandSender.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "protocol/Checksums.h"
#include "protocol/Hex.h"

namespace corvalis {
namespace {

constexpr int kMinReplyLength = 10;  // "ab", reader ID, LL, CC, LRC
constexpr int kFormatReplyCode = 17;
constexpr int kCompositeReplyCode = 78;
// The exit code our own wake-ups use, so a quit from anyone else (the
// application shutting down) can be told apart.
constexpr int kRecheckWait = 0x5eed;

int InfoLine(const char* text, int length, char* out) {
  const int n = std::min(length, kInfoLineMax);
  for (int i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    out[i] = c < 0x20 ? '.' : static_cast<char>(c);
  }
  return n;
}

}  // namespace

const char* ErrorReplyText(int code) {
  switch (code) {
    case 240:
      return "Command length incorrect\nBuffer overrun or incorrect number of parameters.";
    case 241:
      return "Bad LRC";
    case 242:
      return "Unknown Command";
    case 243:
      return "Reserved Error";
    case 244:
      return "Unsupported Command\nThe reader does not support that command.";
    case 245:
      return "Unsupported Sub-Command";
    case 247:
      return "Illegal Command";
    default:
      return nullptr;
  }
}

ReaderCommandSender::~ReaderCommandSender() = default;

bool ReaderCommandSender::ChannelOpen(int channel) const {
  return writer_ != nullptr && writer_->IsOpen(channel);
}

void ReaderCommandSender::ShowChannelClosed() {
  if (warnings_ != nullptr) warnings_->ShowChannelClosed();
  closedCountdown_ = kClosedTicks;
}

int ReaderCommandSender::FormatCommand(char* out, int readerId, std::string_view body) {
  const int bodyLength = static_cast<int>(body.size());
  const int lineLength = 4 + bodyLength + 4;  // "ab", ID, body, LRC, CR LF
  // A cut line would lose its LRC and terminator and reach the reader as
  // garbage, so an over-long command is refused whole.
  if (lineLength > kCommandLineMax) return 0;
  expectedReaderId_ = readerId & 0xFF;
  out[0] = 'a';
  out[1] = 'b';
  out[2] = kLowerHexDigits[(expectedReaderId_ >> 4) & 0x0F];
  out[3] = kLowerHexDigits[expectedReaderId_ & 0x0F];
  std::memcpy(out + 4, body.data(), body.size());
  int n = 4 + bodyLength;
  FormatLrc(ComputeLrc(out + 2, n - 2), out + n);
  n += 2;
  out[n++] = '\r';
  out[n++] = '\n';
  out[n] = '\0';
  return n;
}

void ReaderCommandSender::SendCommand(int channel, int readerId, const char* body) {
  SendCommand(channel, readerId, std::string_view(body != nullptr ? body : ""));
}

void ReaderCommandSender::SendCommand(int channel, int readerId, std::string_view body) {
  if (!IsValidChannel(channel)) return;
  if (!ChannelOpen(channel)) {
    ++generation_;
    lastSendResult_ = WaitResult::kChannelClosed;
    ShowChannelClosed();
    return;
  }
  char line[kCommandLineMax + 1];
  const int length = FormatCommand(line, readerId, body);
  if (length == 0) {
    ++generation_;
    lastSendResult_ = WaitResult::kNotArmed;
    status_.SetLastError("Command too long");
    return;
  }
  SendLine(channel, line, length);
}

void ReaderCommandSender::RecordTransmit(int channel, const char* text, int length) {
  if (rawMonitor_ != nullptr) rawMonitor_->ShowLine(channel, text, length);
  if (infoMemo_ != nullptr) {
    char info[kInfoLineMax];
    const int n = InfoLine(text, length, info);
    infoMemo_->AppendLine(std::string_view(info, static_cast<size_t>(n)));
  }
  if (transmit_ != nullptr) transmit_->MarkTransmit(channel);
  if (scriptRecorder_ != nullptr && scriptRecorder_->IsRecording()) {
    scriptRecorder_->RecordSentLine(channel, text, length);
  }
  if (recordOutgoing_ && recordings_ != nullptr && recordings_->IsOpen(channel)) {
    recordings_->Write(channel, "> ", 2);
    recordings_->Write(channel, text, length);
    recordings_->Flush(channel);
  }
}

void ReaderCommandSender::SendLine(int channel, const char* text, int length) {
  if (!IsValidChannel(channel) || length < 0) return;
  ++generation_;
  acceptedErrorCode_ = -1;
  RecordTransmit(channel, text, length);
  if (!ChannelOpen(channel)) {
    lastSendResult_ = WaitResult::kChannelClosed;
    ShowChannelClosed();
    return;
  }
  if (length > 1) {
    // A new command restarts the wait; any WaitForReply for the old one
    // wakes up and reports it superseded.
    expectedChannel_ = channel;
    warningCountdown_ = 0;
    replyCountdown_ = longReplyWait_ ? kLongReplyTicks : kReplyTicks;
    awaiting_ = true;
    armedGeneration_ = generation_;
    armedOutcome_ = WaitResult::kTimedOut;
    lastSendResult_ = WaitResult::kReplied;
    FinishAllWaiters(WaitResult::kSuperseded);
  } else {
    lastSendResult_ = WaitResult::kNotArmed;
  }
  writer_->WriteToChannel(channel, text, length);
}

bool ReaderCommandSender::SendRaw(int channel, const char* bytes, int count) {
  if (!IsValidChannel(channel) || count < 0) return false;
  RecordTransmit(channel, bytes, count);
  if (!ChannelOpen(channel)) {
    ShowChannelClosed();
    return false;
  }
  writer_->WriteToChannel(channel, bytes, count);
  return true;
}

void ReaderCommandSender::EndWait(WaitResult outcome) {
  if (awaiting_) {
    armedOutcome_ = outcome;
    FinishWaiters(outcome);
  }
  awaiting_ = false;
  replyCountdown_ = 0;
  warningCountdown_ = 0;
}

void ReaderCommandSender::Tick() {
  if (warningCountdown_ == 0) {
    if (warnings_ != nullptr) {
      warnings_->HideNoReply();
      warnings_->HideBadCommand();
    }
  } else if (--warningCountdown_ == 0) {
    if (warnings_ != nullptr) {
      warnings_->HideNoReply();
      warnings_->HideBadCommand();
    }
    if (awaiting_) {
      awaiting_ = false;
      armedOutcome_ = WaitResult::kTimedOut;
      FinishWaiters(WaitResult::kTimedOut);
    }
  }

  if (replyCountdown_ > 0) {
    if (awaiting_) {
      if (--replyCountdown_ == 0) {
        if (noReplySuppressed_) {
          awaiting_ = false;
          armedOutcome_ = WaitResult::kTimedOut;
          FinishWaiters(WaitResult::kTimedOut);
        } else {
          warningCountdown_ = kWarningTicks;
          if (warnings_ != nullptr) warnings_->ShowNoReply();
        }
      }
    } else {
      replyCountdown_ = 0;
      warningCountdown_ = 0;
      if (warnings_ != nullptr) warnings_->HideNoReply();
    }
  }

  if (closedCountdown_ > 0 && --closedCountdown_ == 0 && warnings_ != nullptr) {
    warnings_->HideChannelClosed();
  }
}

void ReaderCommandSender::HandleReply(int channel, const char* text, int length) {
  if (length < kMinReplyLength || text[0] != 'a' || text[1] != 'b') {
    status_.SetLastError("Bad Info");
    return;
  }
  if (infoMemo_ != nullptr) {
    char info[kInfoLineMax];
    const int n = InfoLine(text, length, info);
    infoMemo_->AppendLine(std::string_view(info, static_cast<size_t>(n)));
  }
  uint8_t readerId = 0;
  uint8_t dataLength = 0;
  uint8_t code = 0;
  if (!ReadHexByte(text + 2, readerId) || !ReadHexByte(text + 4, dataLength) ||
      !ReadHexByte(text + 6, code)) {
    status_.SetLastError("Bad Info");
    return;
  }

  // The match comes before the length and LRC checks: a garbled reply from
  // the right reader still ends the wait, so the operator is not also told
  // that nothing came back. Reader IDs 0 and 255 (broadcast) take any
  // reader, never any channel: a device answers a broadcast with its own ID.
  // The LRC is read only once the length says it is inside the line.
  const bool lengthOk = length == kMinReplyLength + 2 * dataLength;
  const bool lrcOk = lengthOk && CheckLrc(text + 2, length - 2);
  const bool matched = (expectedReaderId_ == 0 || expectedReaderId_ == kBroadcastReaderId ||
                        readerId == expectedReaderId_) &&
                       channel == expectedChannel_;
  const bool acceptedError = lrcOk && matched && awaiting_ && code == acceptedErrorCode_;
  const char* error = lrcOk && !acceptedError ? ErrorReplyText(code) : nullptr;
  if (acceptedError) acceptedErrorCode_ = -1;
  if (matched) {
    EndWait(error != nullptr ? WaitResult::kErrorReply : WaitResult::kReplied);
    if (warnings_ != nullptr) warnings_->HideNoReply();
    ++matchedReplies_;
  }
  if (!lengthOk) {
    status_.SetLastError("Info Length");
    return;
  }
  if (!lrcOk) {
    status_.SetLastError("Info LRC error");
    return;
  }

  ReplyView reply;
  reply.channel = channel;
  reply.readerId = readerId;
  reply.code = code;
  reply.dataLength = dataLength;
  reply.text = text;
  reply.length = length;
  reply.data = text + 8;

  if (error != nullptr) {
    EndWait(WaitResult::kErrorReply);
    if (warnings_ != nullptr) warnings_->ShowBadCommand(error);
    warningCountdown_ = kWarningTicks;
  } else if (code == kFormatReplyCode) {
    ApplyFormatReply(reply);
  } else if (code == kCompositeReplyCode) {
    ApplyCompositeReply(reply);
  }
  Route(reply);
}

void ReaderCommandSender::ApplyFormatReply(const ReplyView& reply) {
  if (!IsValidChannel(reply.channel) || reply.dataLength < 10) return;
  uint8_t b[10];
  for (int i = 0; i < 10; ++i) ReadHexByte(reply.data + 2 * i, b[i]);
  const FormatBytes bytes = FormatBytes::FromWire(b);
  formats_.format[reply.channel].ApplyFormatBytes(bytes);
}

void ReaderCommandSender::ApplyCompositeReply(const ReplyView& reply) {
  if (!IsValidChannel(reply.channel) || reply.dataLength < 4) return;
  uint8_t f = 0, g = 0, maskHigh = 0, maskLow = 0;
  ReadHexByte(reply.data, f);
  ReadHexByte(reply.data + 2, g);
  ReadHexByte(reply.data + 4, maskHigh);
  ReadHexByte(reply.data + 6, maskLow);
  const auto mask = static_cast<uint16_t>(maskHigh << 8 | maskLow);
  formats_.composite[reply.channel] = CompositeFormat::Derive(f, g, mask);
  if ((f & 0x80) != 0) formats_.format[reply.channel].compositeMode = true;
}

void ReaderCommandSender::AddReplyRoute(int code, ReplyRoute* route) {
  if (code < 0 || code > 255 || route == nullptr) return;
  routes_[static_cast<size_t>(code)].push_back(route);
}

void ReaderCommandSender::RemoveReplyRoute(int code, ReplyRoute* route) {
  if (code < 0 || code > 255) return;
  auto& list = routes_[static_cast<size_t>(code)];
  if (routingDepth_ > 0) {
    // A fan-out is walking the lists; blank the entry and compact later.
    std::replace(list.begin(), list.end(), route, static_cast<ReplyRoute*>(nullptr));
    routesToCompact_ = true;
  } else {
    list.erase(std::remove(list.begin(), list.end(), route), list.end());
  }
}

void ReaderCommandSender::Route(const ReplyView& reply) {
  auto& list = routes_[static_cast<size_t>(reply.code)];
  // Routes added while this reply fans out start with the next reply.
  const size_t count = list.size();
  ++routingDepth_;
  for (size_t i = 0; i < count && i < list.size(); ++i) {
    if (list[i] != nullptr) list[i]->TakeReply(reply);
  }
  if (--routingDepth_ == 0 && routesToCompact_) {
    routesToCompact_ = false;
    for (auto& routes : routes_) {
      routes.erase(std::remove(routes.begin(), routes.end(), nullptr), routes.end());
    }
  }
}

void ReaderCommandSender::FinishWaiters(WaitResult outcome) {
  for (int i = 0; i < waitDepth_; ++i) {
    Waiter& waiter = waiters_[i];
    if (waiter.finished || waiter.generation != armedGeneration_) continue;
    waiter.finished = true;
    waiter.result = outcome;
    waiter.loop->exit(kRecheckWait);
  }
}

void ReaderCommandSender::FinishAllWaiters(WaitResult outcome) {
  for (int i = 0; i < waitDepth_; ++i) {
    Waiter& waiter = waiters_[i];
    if (waiter.finished) continue;
    waiter.finished = true;
    waiter.result = outcome;
    waiter.loop->exit(kRecheckWait);
  }
}

void ReaderCommandSender::AbortWaits() {
  FinishAllWaiters(WaitResult::kAborted);
}

WaitResult ReaderCommandSender::WaitForReply() {
  if (lastSendResult_ != WaitResult::kReplied) return lastSendResult_;
  if (!awaiting_) return armedOutcome_;
  if (waitDepth_ >= kMaxNestedWaits) return WaitResult::kTooDeep;

  QEventLoop loop;
  QTimer limit;
  limit.setSingleShot(true);
  bool limitReached = false;
  QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
    limitReached = true;
    loop.exit(kRecheckWait);
  });
  const int ticks = std::max(replyCountdown_, 0) + kWarningTicks;
  limit.start(waitLimitMs_ > 0 ? waitLimitMs_ : ticks * 200 + 1000);

  const int slot = waitDepth_++;
  waiters_[slot] = Waiter{&loop, armedGeneration_, false, WaitResult::kAborted};
  while (!waiters_[slot].finished) {
    if (limitReached) {
      // The tick timer has stopped; give up without touching the wait state.
      waiters_[slot].result = WaitResult::kTimedOut;
      break;
    }
    if (loop.exec() != kRecheckWait) break;  // the application is quitting: kAborted
  }
  const WaitResult result = waiters_[slot].result;
  waiters_[slot] = Waiter{};
  --waitDepth_;
  return result;
}

}  // namespace corvalis
