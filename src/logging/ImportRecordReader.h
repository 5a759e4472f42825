#pragma once

#include <cstdint>
#include <cstdio>

namespace corvalis {

inline constexpr int kImportRecordSize = 1024;
// Frames and unrecognised records stop growing at this many bytes.
inline constexpr int kImportMaxRecord = 1000;
// Comment and text lines take at most this many bytes after their first.
inline constexpr int kImportMaxLineRest = 1021;

enum class ImportRecordKind {
  kBinaryFrame,  // begins with 0xAA
  kComment,      // begins with "#" or ">": counted, never dispatched
  kTextLine,     // begins with a hexadecimal digit, either case
  kBlankLine,    // a line end on its own
  kOther,        // anything else: cut at CR LF (10 bytes at least) or at 25 bytes
};

// One record of a capture. `text` stays valid until the next call to Next;
// `length` excludes a final CR LF, and text[length] may be written (the
// dispatcher puts its NUL there).
struct ImportRecord {
  ImportRecordKind kind = ImportRecordKind::kOther;
  char* text = nullptr;
  int length = 0;
  bool endedLine = false;  // the record ended with CR LF (or LF)
};

// Cuts a captured reader output file (text lines, binary frames, comments,
// possibly mixed) into records, the way the reader sent them. Reads the file
// in large blocks; a truncated last record comes out as far as it goes.
class ImportRecordReader {
 public:
  explicit ImportRecordReader(std::FILE* file) : file_(file) {}
  ImportRecordReader(const ImportRecordReader&) = delete;
  ImportRecordReader& operator=(const ImportRecordReader&) = delete;

  // The next record; false at the end of the file.
  bool Next(ImportRecord& record);

  int64_t BytesConsumed() const { return consumed_; }
  // Records that ended with a line end, comments included.
  int64_t LineCount() const { return lines_; }
  bool ReadFailed() const { return failed_; }

 private:
  int Get();   // the next byte, or -1 at the end
  int Peek();  // the same without taking it
  void Take(int byte) { record_[length_++] = static_cast<char>(byte); }
  bool EndsWithLineEnd() const;
  void ReadFrame();
  void ReadLineRest();
  void ReadOther();

  std::FILE* file_;
  char block_[65536];
  int blockPos_ = 0;
  int blockLength_ = 0;
  bool failed_ = false;
  char record_[kImportRecordSize + 1];
  int length_ = 0;
  // A frame's length: 20, or 22 once a frame's bytes 13 and 14 said so; it
  // carries over to the following frames as the reader's layout does.
  int frameLength_ = 20;
  int64_t consumed_ = 0;
  int64_t lines_ = 0;
};

}  // namespace corvalis
