// Reads arbitrary bytes as a tag-name file, looks every code up through the
// hash index and compares with a plain search, looks an unknown tag up,
// deletes a row, and writes the list out: the written file must read back
// as the rows that were written, in order.
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "ScratchDir.h"
#include "protocol/Hex.h"
#include "tags/TagNames.h"

namespace {

using namespace corvalis;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// The ID bytes of a row whose code is a tag's hex ID; false for other codes.
bool IdOf(std::string_view code, uint8_t id[kTagIdBytes]) {
  if (code.size() != kTagCodeChars) return false;
  for (const char c : code) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  for (int i = 0; i < kTagIdBytes; ++i) ReadHexByte(code.data() + 2 * i, id[i]);
  return true;
}

// The index must give the first row with the code, as a plain search does.
void CheckLookups(const TagNames& names) {
  for (int row = 0; row < names.RowCount(); ++row) {
    uint8_t id[kTagIdBytes];
    if (!IdOf(names.Code(row), id)) continue;
    int first = 0;
    while (names.Code(first) != names.Code(row)) ++first;
    Check(names.FindRow(id) == first);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const uint16_t seed = size > 0 && (data[size - 1] & 1) != 0 ? 0xFFFF : 0x0000;

  size_t start = 0;
  while (start < size) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = size;
    TagNameRow row;
    bool rejected = false;
    if (TagNames::ParseLine(bytes.substr(start, end - start), seed, row, rejected)) {
      Check(!rejected && std::strlen(row.code) <= kTagCodeChars);
    }
    start = end + 1;
  }

  const std::string in = FuzzScratchDir("tagnames-fuzz") + "/in.tag";
  {
    QFile file(QString::fromStdString(in));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    file.write(bytes.data(), static_cast<qint64>(size));
  }
  // A small capacity, so a file of many lines grows the list and its index.
  TagNames names(4);
  const TagNameFileResult read = names.ReadTagNameFile(in, seed);
  Check(read.ok && read.added == names.RowCount());
  CheckLookups(names);

  // A tag not in the list is registered under its hex ID and found again,
  // unless the list is full: the read path does not allocate.
  uint8_t unknown[kTagIdBytes] = {};
  std::memcpy(unknown, data, std::min<size_t>(size, kTagIdBytes));
  const bool known = names.FindRow(unknown) >= 0;
  const bool room = names.RowCount() < names.Capacity();
  names.LookupName(unknown, {});
  Check((names.FindRow(unknown) >= 0) == (known || room));
  if (names.RowCount() > 1) {
    names.DeleteRow(size > 1 ? data[size - 2] % names.RowCount() : 0);
    CheckLookups(names);
  }

  const std::string out = FuzzScratchDir("tagnames-fuzz") + "/out.tag";
  const TagNameFileResult written = names.WriteTagNameFile(out, TagNameWriteMode::kOverwrite);
  Check(written.ok && written.added + written.unwritableRows == names.RowCount());
  TagNames again(4);
  const TagNameFileResult reread = again.ReadTagNameFile(out, seed);
  Check(reread.ok && reread.added == written.added && reread.ignoredLines == 0 &&
        reread.rejectedCodes == 0);
  // Every row read back is the next written row, unchanged.
  int from = 0;
  for (int row = 0; row < again.RowCount(); ++row) {
    while (from < names.RowCount() &&
           (names.Code(from) != again.Code(row) || names.Name(from) != again.Name(row))) {
      ++from;
    }
    Check(from < names.RowCount());
    ++from;
  }
  return 0;
}
