#include "tagrw/MultiPage.h"

#include <algorithm>
#include <cstdint>

#include "protocol/Hex.h"
#include "script/ScriptCommands.h"
#include "tagrw/TtoConfig.h"

namespace corvalis {
namespace {

std::string Byte(int value) {
  const auto v = static_cast<unsigned>(value & 0xFF);
  return {kLowerHexDigits[v >> 4], kLowerHexDigits[v & 15]};
}

std::string Framed(int readerId, const std::string& body) {
  std::string line;
  BuildScriptCommand(readerId, body, line);
  return line;
}

// Decodes one UTF-8 sequence at `i`; -1 for a malformed one.
long NextCodePoint(std::string_view s, size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  long cp = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    return -1;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size()) return -1;
    const auto c = static_cast<unsigned char>(s[i++]);
    if ((c & 0xC0) != 0x80) return -1;
    cp = cp << 6 | (c & 0x3F);
  }
  return cp;
}

}  // namespace

int LimitPageCount(int startPage, int numPages) {
  return std::max(1, std::min({numPages, kMultiPageMaxPages, kMultiPageEnd - startPage}));
}

std::string MultiPageCrc(std::string_view data, MultiPageCrcKind kind) {
  PageCrcChoice choice;
  choice.ccitt = kind == MultiPageCrcKind::kCcitt;
  choice.kvq = kind != MultiPageCrcKind::kR5180;
  const std::string withCrc = PageWithCrc(data, choice);
  return withCrc.size() == kPageDigits ? withCrc.substr(12) : std::string("0000");
}

std::vector<std::string> LoadBufferScript(int readerId, int startPage, int numPages,
                                          const std::array<std::string, kTagPages>& pages) {
  std::vector<std::string> lines{"Set x1 1"};
  for (int p = startPage; p < startPage + numPages && p < kTagPages; ++p) {
    const std::string data = LowerCase(PadRight(pages[static_cast<size_t>(p)], kPageDigits));
    lines.push_back(Framed(readerId, "092e" + Byte(p) + data.substr(0, kPageDigits)));
    lines.emplace_back("Inc x1");
  }
  return lines;
}

std::vector<std::string> ReadBufferScript(int readerId, int startPage, int numPages) {
  std::vector<std::string> lines{"Set x1 1"};
  for (int p = startPage; p < startPage + numPages && p < kTagPages; ++p) {
    lines.push_back(Framed(readerId, "f12e" + Byte(p)));
    lines.emplace_back("Inc x1");
  }
  return lines;
}

std::string MultiPageWriteBody(TransmitSequence& sequence, int startPage, int numPages,
                               TransmitTarget target, bool continuous, bool autoSuspend,
                               std::string_view tagId) {
  CommandWordFields f;
  f.command = kCmdWrite;
  f.startPage = startPage;
  f.numPages = numPages;
  const std::string block = sequence.NextBlock(f, target, continuous, autoSuspend);
  if (target == TransmitTarget::kAddressed || target == TransmitTarget::kAllTags)
    return "032d" + block;
  return "0b2d" + block + LowerCase(PadRight(tagId, kPageDigits));
}

PackedText PackTextIntoPages(std::string_view utf8, bool withCrc, MultiPageCrcKind kind) {
  PackedText out;
  std::string codes;  // two digits per character
  for (size_t i = 0; i < utf8.size();) {
    const long cp = NextCodePoint(utf8, i);
    if (cp < 0 || cp > 0xFF) {
      out.error = "Only Latin-1 characters fit a page";
      return out;
    }
    codes += Byte(static_cast<int>(cp));
  }
  const size_t perPage = withCrc ? kTextCharsPerPageWithCrc : kTextCharsPerPage;
  const size_t chars = codes.size() / 2;
  if (chars > perPage * kTextPages) {
    out.error = "Text too long: " + std::to_string(perPage * kTextPages) +
                " characters fit the 14 pages" + (withCrc ? " with CRCs" : "");
    return out;
  }
  for (size_t at = 0; at < codes.size(); at += 2 * perPage) {
    std::string page = PadRight(codes.substr(at, 2 * perPage), 2 * perPage);
    if (withCrc) page += MultiPageCrc(page, kind);
    out.pages.push_back(page);
  }
  return out;
}

BufferPage BufferPageOfReply(std::string_view line) {
  // "ab" rid "09" "2e" page data(16) LRC
  constexpr size_t kLength = 2 + 2 + 2 + 2 + 2 + kPageDigits + 2;
  BufferPage out;
  if (line.size() < kLength || line.substr(0, 2) != "ab" || line.substr(4, 4) != "092e") return out;
  uint8_t page = 0;
  if (!ReadHexByte(line.data() + 8, page) || page >= kTagPages) return out;
  const std::string_view data = line.substr(10, kPageDigits);
  if (!IsPageData(data)) return out;
  out.page = page;
  out.data = LowerCase(data);
  return out;
}

}  // namespace corvalis
