#pragma once

#include <string_view>

#include "common/Clock.h"
#include "common/StatusReporter.h"
#include "protocol/ChannelFormats.h"
#include "protocol/LocalMidnight.h"
#include "protocol/MessageFormat.h"
#include "protocol/ProtocolSettings.h"
#include "protocol/ReadSinks.h"

namespace corvalis {

// Decoders of tag-read messages. Each takes the real channel (0..4) the
// message arrived on, uses that channel's format, and records the read as
// channel 0 when SumAllPorts is on. Each returns whether it accepted the
// message; a rejection leaves its reason as the last-error text, counts it
// against the channel (checksum or data error) and changes nothing in the tag
// table. `text` is NUL-terminated at text[length].
class TagMessageDecoder {
 public:
  TagMessageDecoder(ChannelFormats& formats, const ProtocolSettings& settings, const Clock& clock,
                    StatusReporter& status)
      : formats_(formats), settings_(settings), clock_(clock), status_(status) {}

  void SetTagReadSink(TagReadSink* sink) { tagSink_ = sink; }
  void SetDataPageHandler(DataPageHandler* handler) { pageHandler_ = handler; }
  void SetTagDataDisplay(TagDataDisplay* display) { dataDisplay_ = display; }

  // Tag read in the channel's message format, ASCII or binary by the format's
  // binary flag; only messages of length1 or length2 are considered.
  bool DecodeFormatMessage(int channel, const char* text, int length);
  // "a1": several tag IDs in one read.
  bool DecodeMultiIdMessage(int channel, const char* text, int length);
  // "af": composite message laid out by the channel's composite format.
  bool DecodeCompositeMessage(int channel, const char* text, int length);
  // "ad": tag data for the Q2 data display.
  bool DecodeTagDataMessage(int channel, const char* text, int length);
  // "ae": TTO data page.
  bool DecodeTtoDataMessage(int channel, const char* text, int length);

 private:
  struct FormatFields;
  bool DecodeAscii(int channel, const MessageFormat& f, const char* text, int length);
  bool DecodeBinary(int channel, const MessageFormat& f, const char* text, int length);
  bool DecodeBinaryTto(int channel, const MessageFormat& f, const char* text, int length);
  // The script still counts an "ae" page that failed its LRC as a bad page.
  void ReportBadTtoPage(const char* text, int length);
  // Completes the read in `m` in place and hands it to the sink.
  bool FinishFormatRead(int channel, const MessageFormat& f, FormatFields& m);
  // Every read is recorded on its channel (0 under SumAllPorts) at `when`.
  void StampRead(TagRead& read, int channel, WallTime when) const;
  // The read time of a message's date fields, or the clock's time for a
  // missing or invalid date.
  WallTime ReadTime(int channel, const FormatFields& m);
  void CountDataError(int channel, std::string_view why);
  bool RejectData(int channel, std::string_view why);  // false
  bool RejectChecksum(int channel);                    // false

  ChannelFormats& formats_;
  const ProtocolSettings& settings_;
  const Clock& clock_;
  StatusReporter& status_;
  TagReadSink* tagSink_ = nullptr;
  DataPageHandler* pageHandler_ = nullptr;
  TagDataDisplay* dataDisplay_ = nullptr;
  LocalMidnight midnight_;
};

}  // namespace corvalis
