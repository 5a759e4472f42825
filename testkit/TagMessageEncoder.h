#pragma once

#include <cstdint>

#include "protocol/CompositeFormat.h"
#include "protocol/MessageFormat.h"

namespace corvalis {

// Builds the messages a reader sends, the inverse of the decoders: for tests,
// the benchmark and the reader simulator. Every encoder writes the message
// without its terminator, appends a NUL when there is room after it, and
// returns the message length, or -1 when `capacity` is too small.

// The fields of a tag message in the reader's message format. Fields the
// format leaves out are ignored.
struct TagMessageFields {
  int readerId = 0;
  uint8_t id[8] = {};
  int iCount = 0;
  int qCount = 0;
  int year = 0;  // two digits
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  // Two decimal digits (BCD in binary) with ms timing, otherwise a raw byte,
  // so values 100..127 reach the decoder's carry.
  int hundredths = 0;
  int sequence = 0;  // one byte, two with wideKey
  int dataFlag = 0;
  int status = 0;
};

// An ASCII line (format.binary false) or a binary frame (true).
int EncodeFormatMessage(const MessageFormat& format, const TagMessageFields& fields, char* out,
                        int capacity);

// The fields of an "ae" TTO data message.
struct TtoDataFields {
  int readerId = 0;
  uint8_t page[8] = {};
  int iCount = 0;  // carried by length 30 only
  int qCount = 0;
  int sequence = 0;
  int dataFlag = 0;
  int status = 0;  // carried by length 28 only
};

// `length` picks the layout: 26, 28 (with status) or 30 (with I and Q).
int EncodeTtoDataMessage(const TtoDataFields& fields, int length, char* out, int capacity);

// A binary TTO data frame in `format`'s binary layout: binHeader1b, reader ID,
// page, I and Q counts as the format has them, sequence number (two bytes with
// wideKey), data flag, status, LRC as the format has it.
int EncodeBinaryTtoFrame(const MessageFormat& format, const TtoDataFields& fields, char* out,
                         int capacity);

// "a1": three header bytes, then `idCount` (1..3) IDs of 8 bytes.
int EncodeMultiIdMessage(const uint8_t header[3], const uint8_t (*ids)[8], int idCount, char* out,
                         int capacity);

// One tag of a composite message; only what the composite format carries is
// written (extra byte with F bit 1; counts by the count mode: counts[0] for
// mode 1, counts[0] and [1] as I and Q for mode 2, all eight for mode 3).
struct CompositeTagFields {
  uint8_t id[8] = {};
  uint8_t extra = 0;
  uint8_t counts[8] = {};
};

struct CompositeMessageFields {
  int readerId = 0;
  int further = 0;
  const CompositeTagFields* tags = nullptr;
  int tagCount = 0;  // written as the tag count byte when the format has one
};

// "af" laid out by `format`; the length byte, when present, is computed.
int EncodeCompositeMessage(const CompositeFormat& format, const CompositeMessageFields& fields,
                           char* out, int capacity);

}  // namespace corvalis
