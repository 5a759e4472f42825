#include "protocol/ReceiveFramer.h"

#include "protocol/ByteScan.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace corvalis {
namespace {

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

// The first CR or LF from `pos` on, or the first trailer pair lying wholly
// within the held bytes; -1 when the line is not complete yet.
int FindLineEnd(const char* data, int pos, int length, char trailer1, char trailer2,
                int& terminatorSize) {
  // A trailer pair only matters when its first byte is neither CR nor LF:
  // otherwise that byte ends the line by itself first.
  const bool pairMatters = trailer2 != '\0' && !IsLineEnd(trailer1);
  if (!pairMatters) return FindLineBreak(data, pos, length);
  for (int p = pos; p < length; ++p) {
    const char c = data[p];
    if (IsLineEnd(c)) return p;
    if (pairMatters && c == trailer1 && p + 1 < length && data[p + 1] == trailer2) {
      terminatorSize = 2;
      return p;
    }
  }
  return -1;
}

}  // namespace

void ReceiveFramer::AppendSerial(int channel, int waiting, SerialByteSource& port) {
  if (!IsValidChannel(channel) || waiting <= 0) return;
  formats_.counters.NoteReceive(waiting);
  ChannelRxBuffer& buffer = buffers_[channel];
  if (buffer.length == buffer.start) buffer.length = buffer.start = 0;
  const int room = kRxBufferSize - buffer.length;

  int wanted = waiting;
  if (waiting >= room) {
    // Keep one byte free so the buffer never holds more than 8191 bytes.
    wanted = std::max(room - 1, 0);
  }
  const int got = wanted > 0 ? port.Read(buffer.data + buffer.length, wanted) : 0;
  if (waiting >= room) {
    port.PurgeInput();
    ++formats_.counters.channel[static_cast<size_t>(channel)].overruns;
    char text[48];
    std::snprintf(text, sizeof text, "%d chars purged", waiting - wanted);
    status_.SetPurgedText(text);
  }
  if (got < 0) {
    status_.DebugLog("Error reading incoming data!");
    status_.DebugLog(port.LastErrorText());
    port.PurgeInput();
    return;
  }
  buffer.length += std::min(got, wanted);
  AfterAppend(channel);
}

void ReceiveFramer::AppendTcp(int channel, const char* bytes, int count) {
  if (!IsValidChannel(channel)) return;
  formats_.counters.NoteReceive(count);
  ChannelRxBuffer& buffer = buffers_[channel];
  while (count > 0) {
    if (buffer.length == buffer.start) buffer.length = buffer.start = 0;
    const int room = kRxBufferSize - buffer.length;
    const int chunk = count < room ? count : room - 1;
    if (chunk <= 0) {
      // Only reachable when a cut of this channel is already running further
      // up the stack and cannot consume; say so rather than spin.
      char text[64];
      std::snprintf(text, sizeof text, "Receive buffer full: %d bytes dropped", count);
      status_.DebugLog(text);
      ++formats_.counters.channel[static_cast<size_t>(channel)].overruns;
      return;
    }
    std::memcpy(buffer.data + buffer.length, bytes, static_cast<size_t>(chunk));
    buffer.length += chunk;
    AfterAppend(channel);
    bytes += chunk;
    count -= chunk;
  }
}

void ReceiveFramer::AfterAppend(int channel) {
  idleCountdown_[channel] = kIdleFlushTicks;
  CutMessages(channel, false);
}

void ReceiveFramer::CutMessages(int channel, bool flush) {
  if (!IsValidChannel(channel) || cutting_[channel]) return;
  // A handler that spins a nested event loop may append to this channel; the
  // running cut picks those bytes up, so a second cut must not start.
  cutting_[channel] = true;
  if (formats_.format[channel].binary) {
    CutBinary(channel, flush);
  } else {
    CutText(channel);
  }
  ChannelRxBuffer& buffer = buffers_[channel];
  if (buffer.start == buffer.length) buffer.start = buffer.length = 0;
  cutting_[channel] = false;
}

void ReceiveFramer::CutText(int channel) {
  ChannelRxBuffer& buffer = buffers_[channel];
  const MessageFormat& format = formats_.format[channel];
  const char trailer1 = static_cast<char>(format.trailer1);
  const char trailer2 = static_cast<char>(format.trailer2);

  while (buffer.start < buffer.length) {
    char* data = buffer.data;
    int pos = buffer.start;
    while (pos < buffer.length && (IsLineEnd(data[pos]) || data[pos] == '\0')) ++pos;
    buffer.start = pos;
    if (pos >= buffer.length) break;

    int terminatorSize = 1;
    const int end = FindLineEnd(data, pos, buffer.length, trailer1, trailer2, terminatorSize);
    if (end < 0) {
      Compact(buffer);
      return;
    }

    const char terminator = data[end];
    if (!receiver_.DispatchMessage(1, channel, data + pos, end - pos)) {
      data[end] = terminator;  // the receiver may have written its NUL there
      buffer.start = pos + 1;
      continue;
    }
    // A trailer pair of other characters than CR and LF is stepped over
    // whole, so its second byte does not start the next line.
    int next = terminatorSize == 2 && !IsLineEnd(trailer2) ? end + 2 : end;
    while (next < buffer.length && IsLineEnd(data[next])) ++next;
    buffer.start = next;
  }
}

void ReceiveFramer::CutBinary(int channel, bool flush) {
  ChannelRxBuffer& buffer = buffers_[channel];
  const MessageFormat& format = formats_.format[channel];
  const auto header1 = static_cast<char>(format.binHeader1);
  const auto header2 = static_cast<char>(format.binHeader1b);
  const auto trailer1 = static_cast<char>(format.trailer1);
  const auto trailer2 = static_cast<char>(format.trailer2);

  while (buffer.start < buffer.length) {
    char* data = buffer.data;
    // Frames of either kind are taken in arrival order: find the first byte
    // that can start one.
    int frameLength = 0;
    int pos = buffer.start;
    for (; pos < buffer.length; ++pos) {
      if (header1 != '\0' && data[pos] == header1) {
        frameLength = format.length1;
        break;
      }
      if (header2 != '\0' && data[pos] == header2) {
        frameLength = format.length2;
        break;
      }
    }
    if (pos >= buffer.length) {
      buffer.start = buffer.length;  // nothing here can start a frame
      return;
    }
    buffer.start = pos;
    if (frameLength <= 0) {
      buffer.start = pos + 1;
      continue;
    }
    if (pos + frameLength + 2 > buffer.length) {
      if (flush) {
        buffer.start = pos + 1;
        continue;
      }
      Compact(buffer);
      return;
    }
    const bool framed = trailer2 != '\0' && data[pos + frameLength] == trailer1 &&
                        data[pos + frameLength + 1] == trailer2;
    if (!framed) {
      // A header value inside other data, or a damaged frame: resynchronise
      // on the next candidate byte.
      buffer.start = pos + 1;
      continue;
    }
    if (!receiver_.DispatchMessage(1, channel, data + pos, frameLength)) {
      buffer.start = pos + 1;
      continue;
    }
    buffer.start = pos + frameLength + 2;
  }
}

void ReceiveFramer::Compact(ChannelRxBuffer& buffer) {
  const int remaining = buffer.length - buffer.start;
  if (buffer.start == 0 && remaining > kRxKeepTail) {
    std::memmove(buffer.data, buffer.data + buffer.length - kRxKeepTail, kRxKeepTail);
    buffer.length = kRxKeepTail;
  } else {
    std::memmove(buffer.data, buffer.data + buffer.start, static_cast<size_t>(remaining));
    buffer.length = remaining;
  }
  buffer.start = 0;
}

void ReceiveFramer::ClearReaderChannels() {
  for (int channel = 0; channel < kReaderChannelCount; ++channel) {
    buffers_[channel].length = buffers_[channel].start = 0;
  }
}

void ReceiveFramer::DropPartial(int channel) {
  if (channel < 0 || channel >= kChannelCount) return;
  buffers_[channel].length = buffers_[channel].start = 0;
  idleCountdown_[channel] = 0;
}

void ReceiveFramer::Tick() {
  for (int channel = 0; channel < kChannelCount; ++channel) {
    if (idleCountdown_[channel] <= 0) continue;
    if (--idleCountdown_[channel] == 0 && formats_.format[channel].binary) {
      CutMessages(channel, true);
    }
  }
}

}  // namespace corvalis
