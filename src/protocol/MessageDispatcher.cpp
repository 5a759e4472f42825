#include "protocol/MessageDispatcher.h"

#include <algorithm>
#include <cstring>

#include "protocol/ByteScan.h"
#include "protocol/Hex.h"

namespace corvalis {
namespace {

bool StartsWith(const char* text, int length, const char* prefix) {
  const int n = static_cast<int>(std::strlen(prefix));
  return length >= n && std::memcmp(text, prefix, static_cast<size_t>(n)) == 0;
}

bool HexAfterPrefix(const char* text, int length) {
  return length <= 2 || AllHexDigits(text + 2, length - 2);
}

}  // namespace

void MessageDispatcher::RemoveObserver(MessageObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

bool MessageDispatcher::DispatchMessage(int /*source*/, int channel, char* text, int length) {
  if (!IsValidChannel(channel) || length < 0) return true;
  text[length] = '\0';

  for (MessageObserver* observer : observers_) observer->ObserveMessage(channel, text, length);
  if (scriptLineHook_ != nullptr) scriptLineHook_->ObserveMessage(channel, text, length);
  if (readerTester_ != nullptr && readerTester_->IsRunningOn(channel) &&
      readerTester_->ClaimMessage(channel, text, length)) {
    return true;
  }
  if (length > 0 && text[0] == '$') return true;
  if (channel >= kOutputChannel) return true;

  if (settings_.compositeOutput && channelWriter_ != nullptr &&
      channelWriter_->IsOpen(kOutputChannel)) {
    channelWriter_->WriteToChannel(kOutputChannel, text, length);
  }

  MessageFormat& format = formats_.format[channel];
  if (format.binary && length > 0) {
    // Binary frames carry raw bytes, so they skip the hex check and go
    // straight to the binary form of the format decoder.
    const char first = text[0];
    if ((format.binHeader1 != 0 && first == static_cast<char>(format.binHeader1)) ||
        (format.binHeader1b != 0 && first == static_cast<char>(format.binHeader1b))) {
      if (decoder_.DecodeFormatMessage(channel, text, length)) {
        format.missCount = 0;
      } else {
        CountMiss(channel);
      }
      return true;
    }
  }

  if (!HexAfterPrefix(text, length)) return true;

  if (StartsWith(text, length, "ab")) {
    if (replyHandler_ != nullptr) replyHandler_->HandleReply(channel, text, length);
    return true;
  }

  if (!format.compositeMode && decoder_.DecodeFormatMessage(channel, text, length)) {
    format.missCount = 0;
    return true;
  }

  if (length > 7 && text[0] == 'c' && DispatchRelayedReply(channel, text, length)) return true;

  format.compositeMode = false;

  if (StartsWith(text, length, "a1")) {
    if (decoder_.DecodeMultiIdMessage(channel, text, length)) {
      format.missCount = 0;
      return true;
    }
  } else if (StartsWith(text, length, "af")) {
    DispatchComposite(channel, text, length);
    return true;
  } else if (StartsWith(text, length, "ad")) {
    decoder_.DecodeTagDataMessage(channel, text, length);
    return true;
  } else if (StartsWith(text, length, "ae")) {
    decoder_.DecodeTtoDataMessage(channel, text, length);
    return true;
  }
  CountMiss(channel);
  return true;
}

bool MessageDispatcher::DispatchRelayedReply(int channel, const char* text, int length) {
  // "c", a route of 2 + 2n characters with n in the byte at offsets 3-4,
  // then the reader's own "ab" reply.
  const char* found = std::strstr(text, "ab");
  if (found == nullptr) return false;
  uint8_t routeByte = 0;
  if (!ReadHexByte(text + 3, routeByte)) return false;
  const int hops = routeByte == 0xFF ? 0 : (routeByte & 0x0F);
  const int replyOffset = 7 + 2 * hops;
  if (found - text != replyOffset) return false;
  if (replyHandler_ != nullptr) {
    replyHandler_->HandleReply(channel, text + replyOffset, length - replyOffset);
  }
  return true;
}

void MessageDispatcher::DispatchComposite(int channel, const char* text, int length) {
  const CompositeFormat& composite = formats_.composite[channel];
  if (length != composite.expectedLength && !composite.variableLength) CountMiss(channel);
  if (decoder_.DecodeCompositeMessage(channel, text, length)) {
    formats_.format[channel].missCount = 0;
    return;
  }
  CountMiss(channel);
  CountMiss(channel);
}

void MessageDispatcher::CountMiss(int channel) {
  MessageFormat& format = formats_.format[channel];
  if (++format.missCount >= kMissesBeforeQuery) {
    format.queryNeeded = true;
    format.missCount = 0;
  }
}

void MessageDispatcher::RunFormatQueryTick() {
  for (int channel = 0; channel < kChannelCount; ++channel) {
    MessageFormat& format = formats_.format[channel];
    if (format.queryCountdown > 0) {
      --format.queryCountdown;
      continue;
    }
    if (!format.queryNeeded || channelWriter_ == nullptr || !channelWriter_->IsOpen(channel)) {
      continue;
    }
    if (commandSender_ != nullptr) {
      commandSender_->SendCommand(channel, 0, format.compositeMode ? "ff4e" : "ff11");
    }
    format.queryNeeded = false;
    format.queryCountdown = kQueryRepeatTicks;
  }
}

}  // namespace corvalis
