#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tags/TagRecord.h"
#include "tags/TagTableHooks.h"

namespace corvalis {

inline constexpr int kTagCodeChars = 16;
inline constexpr int kTagNameChars = 39;  // longest name a file line may give
inline constexpr int kDefaultTagNameCapacity = 65536;

// Header cells of the grid that shows the list.
inline constexpr std::string_view kTagNamesCodeHeader = "Code";
inline constexpr std::string_view kTagNamesNameHeader = "Name";
inline constexpr std::string_view kDefaultRegistrationFileName = "alias.tag";

// Told about every change so a grid can mirror the list. Rows are 0-based
// data rows (the grid's header row is not counted).
class TagNamesListener {
 public:
  virtual ~TagNamesListener() = default;
  virtual void RowsAppended(int first, int count) = 0;
  virtual void RowChanged(int row) = 0;
  virtual void RowRemoved(int row) = 0;
  virtual void Reset() = 0;
};

struct TagNameRow {
  char code[kTagCodeChars + 1] = {};
  char name[kTagNameChars + 1] = {};
};

struct TagNameFileResult {
  bool ok = false;
  int added = 0;
  int ignoredLines = 0;    // one token, or a code neither 12 nor 16 long
  int rejectedCodes = 0;   // 12 characters that are not hexadecimal
  int unwritableRows = 0;  // rows a file could not give back (writing)
  std::string message;     // for the operator when !ok
  std::string title;       // message box title when !ok
};

enum class TagNameWriteMode { kOverwrite, kAppend };

// The tag-name list: rows of code and name in the order read or added. A code
// is the 16 lower-case hex digits of a tag ID; the upper of two equal codes
// wins. Lookups go through a hash index over the ID bytes, so a lookup costs
// the same for ten rows and for ten thousand; rows and index are allocated
// up front (and again only when a file or the operator adds beyond the
// capacity), never by a lookup.
class TagNames final : public TagNameLookup {
 public:
  explicit TagNames(int capacity = kDefaultTagNameCapacity);

  void SetAutoRegister(bool on) { autoRegister_ = on; }
  bool AutoRegister() const { return autoRegister_; }
  void SetListener(TagNamesListener* listener) { listener_ = listener; }

  int RowCount() const { return static_cast<int>(rows_.size()); }
  int Capacity() const { return capacity_; }
  std::string_view Code(int row) const;
  std::string_view Name(int row) const;

  // Grid edits. Codes keep at most 16 characters and hex digits are stored in
  // lower case so they match; names keep at most 39 characters.
  bool SetCode(int row, std::string_view code);
  bool SetName(int row, std::string_view name);
  bool AppendRow(std::string_view code, std::string_view name);
  int AddEmptyRow();  // the Add button; returns the new row or -1
  bool DeleteRow(int row);
  void Clear();

  // Name of the first row whose code equals the tag's hex ID. Without one:
  // the empty name when AutoRegister is off; otherwise a row (hex ID, text)
  // is appended and its name returned. A read without text registers the
  // hex ID as the name, because an empty name would hide the tag as unnamed.
  // The view stays valid until the list next changes.
  std::string_view LookupName(const uint8_t* idBytes, std::string_view text);
  // The same for the tag table, with the read's NUL-terminated text.
  std::string LookupTagName(const uint8_t id[kTagIdBytes], const char* text) override;

  // Row of the first code equal to the ID, -1 when none.
  int FindRow(const uint8_t* idBytes) const;

  // Appends the entries of a tag-name file. 12-digit codes are completed
  // with the tag CRC computed under `crcSeed`.
  TagNameFileResult ReadTagNameFile(const std::string& path, uint16_t crcSeed);

  // Writes every row as "%s  %s\n". Rows that a later read could not give
  // back unchanged (no code, a code holding a delimiter, no name) are left
  // out and counted, so they cannot turn into a different entry.
  TagNameFileResult WriteTagNameFile(const std::string& path, TagNameWriteMode mode) const;

  // One line of a tag-name file; false when the line gives no entry.
  // `rejected` tells a 12-character code that is not hexadecimal.
  static bool ParseLine(std::string_view line, uint16_t crcSeed, TagNameRow& out, bool& rejected);

 private:
  struct Slot {
    uint64_t key = 0;
    int32_t row = -1;
  };

  bool EnsureCapacity(int rows);
  void RebuildIndex();
  void IndexRow(int row);
  static bool CodeKey(const char* code, uint64_t& key);

  std::vector<TagNameRow> rows_;
  std::vector<Slot> slots_;
  uint64_t slotMask_ = 0;
  int capacity_ = 0;
  bool autoRegister_ = true;
  TagNamesListener* listener_ = nullptr;
  char unstoredName_[kTagNameChars + 1] = {};
};

// The 8 ID bytes as 16 lower-case hex digits and a NUL.
void FormatTagHexId(const uint8_t* idBytes, char* out17);

}  // namespace corvalis
