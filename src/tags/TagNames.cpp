#include "tags/TagNames.h"

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cstring>

#include "protocol/Checksums.h"
#include "protocol/Hex.h"

namespace corvalis {

namespace {

constexpr int kMaxLineChars = 1024;

constexpr bool IsDelimiter(char c) {
  return c == ' ' || c == '\t' || c == ',';
}

// A grid cell holds one line; a line break inside a name would split the
// entry when the list is written.
std::string_view FirstLine(std::string_view text) {
  const size_t end = text.find_first_of("\r\n");
  return end == std::string_view::npos ? text : text.substr(0, end);
}

template <size_t N>
void CopyCut(std::string_view text, char (&out)[N]) {
  const size_t n = std::min(text.size(), N - 1);
  if (n > 0) std::memcpy(out, text.data(), n);  // an empty view may have no data
  out[n] = '\0';
}

// Hex digits in lower case, anything else unchanged.
void LowerHex(char* text) {
  for (; *text != '\0'; ++text) {
    if (*text >= 'A' && *text <= 'F') *text = static_cast<char>(*text - 'A' + 'a');
  }
}

uint64_t HashKey(uint64_t key) {
  key ^= key >> 33;
  key *= 0xff51afd7ed558ccdULL;
  key ^= key >> 33;
  return key;
}

uint64_t BytesKey(const uint8_t* id) {
  uint64_t key = 0;
  for (int i = 0; i < kTagIdBytes; ++i) key = (key << 8) | id[i];
  return key;
}

// A written row reads back as the same entry only with a code of 12 or 16
// characters free of delimiters and a name that is more than delimiters.
bool ReadsBack(const TagNameRow& row) {
  const size_t codeLength = std::strlen(row.code);
  if (codeLength != 12 && codeLength != 16) return false;
  if (std::any_of(row.code, row.code + codeLength, IsDelimiter)) return false;
  const char* name = row.name;
  while (*name != '\0' && IsDelimiter(*name)) ++name;
  return *name != '\0';
}

}  // namespace

void FormatTagHexId(const uint8_t* idBytes, char* out17) {
  for (int i = 0; i < kTagIdBytes; ++i) {
    out17[2 * i] = kLowerHexDigits[idBytes[i] >> 4];
    out17[2 * i + 1] = kLowerHexDigits[idBytes[i] & 0x0F];
  }
  out17[16] = '\0';
}

TagNames::TagNames(int capacity) {
  EnsureCapacity(std::max(capacity, 1));
}

bool TagNames::EnsureCapacity(int rows) {
  if (rows <= capacity_) return true;
  const int wanted = std::max(rows, capacity_ * 2);
  rows_.reserve(static_cast<size_t>(wanted));
  size_t slotCount = 1;
  while (slotCount < static_cast<size_t>(wanted) * 2) slotCount <<= 1;
  slots_.assign(slotCount, Slot{});
  slotMask_ = slotCount - 1;
  capacity_ = wanted;
  RebuildIndex();
  return true;
}

bool TagNames::CodeKey(const char* code, uint64_t& key) {
  key = 0;
  for (int i = 0; i < kTagCodeChars; ++i) {
    const char c = code[i];
    // Codes match the lower-case hex ID exactly.
    const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    if (!digit) return false;
    key = (key << 4) | static_cast<uint64_t>(HexDigitValue(c));
  }
  return code[kTagCodeChars] == '\0';
}

void TagNames::IndexRow(int row) {
  uint64_t key = 0;
  if (!CodeKey(rows_[row].code, key)) return;
  for (uint64_t i = HashKey(key) & slotMask_;; i = (i + 1) & slotMask_) {
    Slot& slot = slots_[i];
    if (slot.row < 0) {
      slot.key = key;
      slot.row = row;
      return;
    }
    if (slot.key == key) return;  // an upper row already has this code
  }
}

void TagNames::RebuildIndex() {
  std::fill(slots_.begin(), slots_.end(), Slot{});
  for (int row = 0; row < RowCount(); ++row) IndexRow(row);
}

int TagNames::FindRow(const uint8_t* idBytes) const {
  const uint64_t key = BytesKey(idBytes);
  for (uint64_t i = HashKey(key) & slotMask_;; i = (i + 1) & slotMask_) {
    const Slot& slot = slots_[i];
    if (slot.row < 0) return -1;
    if (slot.key == key) return slot.row;
  }
}

std::string_view TagNames::Code(int row) const {
  if (row < 0 || row >= RowCount()) return {};
  return rows_[row].code;
}

std::string_view TagNames::Name(int row) const {
  if (row < 0 || row >= RowCount()) return {};
  return rows_[row].name;
}

bool TagNames::SetCode(int row, std::string_view code) {
  if (row < 0 || row >= RowCount()) return false;
  CopyCut(FirstLine(code), rows_[row].code);
  LowerHex(rows_[row].code);
  RebuildIndex();
  if (listener_ != nullptr) listener_->RowChanged(row);
  return true;
}

bool TagNames::SetName(int row, std::string_view name) {
  if (row < 0 || row >= RowCount()) return false;
  CopyCut(FirstLine(name), rows_[row].name);
  if (listener_ != nullptr) listener_->RowChanged(row);
  return true;
}

bool TagNames::AppendRow(std::string_view code, std::string_view name) {
  EnsureCapacity(RowCount() + 1);
  TagNameRow& row = rows_.emplace_back();
  CopyCut(FirstLine(code), row.code);
  LowerHex(row.code);
  CopyCut(FirstLine(name), row.name);
  IndexRow(RowCount() - 1);
  if (listener_ != nullptr) listener_->RowsAppended(RowCount() - 1, 1);
  return true;
}

int TagNames::AddEmptyRow() {
  AppendRow({}, {});
  return RowCount() - 1;
}

bool TagNames::DeleteRow(int row) {
  if (row < 0 || row >= RowCount()) return false;
  rows_.erase(rows_.begin() + row);
  RebuildIndex();
  if (listener_ != nullptr) listener_->RowRemoved(row);
  return true;
}

void TagNames::Clear() {
  rows_.clear();
  std::fill(slots_.begin(), slots_.end(), Slot{});
  if (listener_ != nullptr) listener_->Reset();
}

std::string TagNames::LookupTagName(const uint8_t id[kTagIdBytes], const char* text) {
  return std::string(LookupName(id, text == nullptr ? std::string_view() : std::string_view(text)));
}

std::string_view TagNames::LookupName(const uint8_t* idBytes, std::string_view text) {
  const int found = FindRow(idBytes);
  if (found >= 0) return rows_[found].name;
  if (!autoRegister_) return {};

  char hexId[kTagCodeChars + 1];
  FormatTagHexId(idBytes, hexId);
  std::string_view name = FirstLine(text.substr(0, std::min(text.find('\0'), text.size())));
  if (name.empty()) name = hexId;

  if (RowCount() >= capacity_) {
    // Growing here would allocate on the read path; the tag keeps its name
    // for this lookup and is offered again at its next one.
    CopyCut(name, unstoredName_);
    return unstoredName_;
  }
  TagNameRow& row = rows_.emplace_back();
  std::memcpy(row.code, hexId, sizeof row.code);
  CopyCut(name, row.name);
  IndexRow(RowCount() - 1);
  if (listener_ != nullptr) listener_->RowsAppended(RowCount() - 1, 1);
  return row.name;
}

bool TagNames::ParseLine(std::string_view line, uint16_t crcSeed, TagNameRow& out, bool& rejected) {
  rejected = false;
  line = line.substr(0, std::min(line.find('\n'), line.size()));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

  size_t i = 0;
  while (i < line.size() && IsDelimiter(line[i])) ++i;
  const size_t codeStart = i;
  while (i < line.size() && !IsDelimiter(line[i])) ++i;
  const std::string_view code = line.substr(codeStart, i - codeStart);
  while (i < line.size() && IsDelimiter(line[i])) ++i;
  if (i >= line.size()) return false;  // no name
  // The row keeps the name as a C string of at most 39 characters. A CR
  // left at its end (a file converted to CR LF twice, or a cut) would go
  // into log lines and be lost when the written list is read again.
  std::string_view name = line.substr(i);
  name = name.substr(0, std::min({name.find('\0'), name.size(), size_t{kTagNameChars}}));
  while (!name.empty() && name.back() == '\r') name.remove_suffix(1);
  if (name.empty()) return false;
  // The row holds its code as a C string: a NUL would cut it short, and a
  // code cut to 12 characters would read back as another tag's.
  if (code.find('\0') != std::string_view::npos) return false;

  if (code.size() == 16) {
    CopyCut(code, out.code);
    bool hex = true;
    for (char c : code) hex = hex && IsHexDigit(c);
    if (hex) LowerHex(out.code);
  } else if (code.size() == 12) {
    uint8_t id[kTagIdBytes];
    for (int b = 0; b < 6; ++b) {
      if (!ReadHexByte(code.data() + 2 * b, id[b])) {
        rejected = true;
        return false;
      }
    }
    const uint16_t crc = TagCrc(id, 6, crcSeed);
    id[6] = static_cast<uint8_t>(crc >> 8);
    id[7] = static_cast<uint8_t>(crc & 0xFF);
    FormatTagHexId(id, out.code);
  } else {
    return false;
  }
  CopyCut(name, out.name);
  return true;
}

TagNameFileResult TagNames::ReadTagNameFile(const std::string& path, uint16_t crcSeed) {
  TagNameFileResult result;
  QFile file(QString::fromStdString(path));
  if (path.empty() || !file.open(QIODevice::ReadOnly)) {
    result.message = "Unable to open " + path + " for reading";
    result.title = "Open Failure";
    return result;
  }
  result.ok = true;

  const int first = RowCount();
  char buffer[kMaxLineChars + 1];
  while (true) {
    const qint64 got = file.readLine(buffer, sizeof buffer);
    if (got <= 0) break;
    std::string_view line(buffer, static_cast<size_t>(got));
    if (line.back() != '\n') {
      // Longer than a line may be: the rest is dropped, not taken as a line
      // of its own, which could turn the tail of a name into an entry.
      char rest[256];
      qint64 more = 0;
      while (!file.atEnd() && (more = file.readLine(rest, sizeof rest)) > 0 &&
             rest[more - 1] != '\n') {
      }
    }
    TagNameRow row;
    bool rejected = false;
    if (!ParseLine(line, crcSeed, row, rejected)) {
      ++(rejected ? result.rejectedCodes : result.ignoredLines);
      continue;
    }
    EnsureCapacity(RowCount() + 1);
    rows_.push_back(row);
    IndexRow(RowCount() - 1);
    ++result.added;
  }
  if (listener_ != nullptr && result.added > 0) listener_->RowsAppended(first, result.added);
  return result;
}

TagNameFileResult TagNames::WriteTagNameFile(const std::string& path, TagNameWriteMode mode) const {
  TagNameFileResult result;
  const QString name = QString::fromStdString(path);
  QFile appendFile(name);
  QSaveFile saveFile(name);
  // Overwriting goes through a new file that replaces the old one only when
  // complete, so a failure part-way keeps the previous list.
  saveFile.setDirectWriteFallback(true);
  QIODevice* out = mode == TagNameWriteMode::kAppend ? static_cast<QIODevice*>(&appendFile)
                                                     : static_cast<QIODevice*>(&saveFile);
  const auto openMode =
      mode == TagNameWriteMode::kAppend ? QIODevice::Append : QIODevice::WriteOnly;
  if (path.empty() || !out->open(openMode)) {
    result.message = "Could not open file for output!";
    return result;
  }

  bool written = true;
  std::string line;
  for (const TagNameRow& row : rows_) {
    if (!ReadsBack(row)) {
      ++result.unwritableRows;
      continue;
    }
    line.assign(row.code).append("  ").append(row.name).append("\n");
    written = written && out->write(line.data(), static_cast<qint64>(line.size())) ==
                             static_cast<qint64>(line.size());
    ++result.added;
  }
  if (mode == TagNameWriteMode::kAppend) {
    written = written && appendFile.flush();
    appendFile.close();
    written = written && appendFile.error() == QFileDevice::NoError;
  } else {
    written = written && saveFile.commit();
  }
  if (!written) {
    result.message = "Could not write " + path;
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace corvalis
