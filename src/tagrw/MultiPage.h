#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "control/CommandWord.h"
#include "tagrw/PageHex.h"

namespace corvalis {

// Up to nine consecutive pages loaded into the read/write controller's page
// buffer and written to a tag in one transmit.
inline constexpr int kMultiPageMaxPages = 9;
// start + number never passes this: page 15 is the tag's configuration.
inline constexpr int kMultiPageEnd = 15;
inline constexpr int kTextPages = 14;  // Use Text fills pages 1 to 14
inline constexpr int kTextCharsPerPage = 8;
inline constexpr int kTextCharsPerPageWithCrc = 6;

enum class MultiPageCrcKind { kCcitt, kKvq, kR5180 };

// The number of pages a start page leaves room for, at least 1.
int LimitPageCount(int startPage, int numPages);

// The 4 lower-case CRC digits of a page's first 12 digits (right-padded with
// "0"); a tag CRC seeded 0xFFFF (KVQ) or 0 (R5180), or CRC-16 CCITT.
std::string MultiPageCrc(std::string_view data, MultiPageCrcKind kind);

// The RT script that loads pages start .. start + count - 1 of `pages` into
// the page buffer: "Set x1 1", then per page the framed "092e" line and
// "Inc x1".
std::vector<std::string> LoadBufferScript(int readerId, int startPage, int numPages,
                                          const std::array<std::string, kTagPages>& pages);
// The same with the framed "f12e" read-back of each page.
std::vector<std::string> ReadBufferScript(int readerId, int startPage, int numPages);

// The multi-page Write: "032d" + block for Addressed and All Tags, else
// "0b2d" + block + the tag ID right-padded with "0" to 16 digits. The block
// takes the next number of `sequence`.
std::string MultiPageWriteBody(TransmitSequence& sequence, int startPage, int numPages,
                               TransmitTarget target, bool continuous, bool autoSuspend,
                               std::string_view tagId);

// Use Text: the text (UTF-8) cut into pieces of 8 characters (6 with a
// CRC), piece k becoming page k's data. Only Latin-1 characters fit one
// digit pair each; longer texts than the 14 pages hold are refused rather
// than cut.
struct PackedText {
  std::string error;               // empty when the text fits
  std::vector<std::string> pages;  // pages 1 .. n: 16 digits (CRC included)
};
PackedText PackTextIntoPages(std::string_view utf8, bool withCrc, MultiPageCrcKind kind);

// One received line's page-buffer read-back ("ab" rid "09" "2e" page and 8
// bytes): the page and its 16 digits; page -1 for anything else.
struct BufferPage {
  int page = -1;
  std::string data;
};
BufferPage BufferPageOfReply(std::string_view line);

}  // namespace corvalis
