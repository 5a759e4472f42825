#include "logging/ImportRecordReader.h"

namespace corvalis {
namespace {

constexpr int kFrameHeader = 0xAA;
constexpr int kOtherCut = 25;
constexpr int kOtherMinLine = 10;

bool IsHexDigit(int c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Bytes 11 and 12 (or 13 and 14) of a frame, counted from 1, that announce
// its layout: a value 4 to 8 followed by one below 19.
bool AnnouncesLayout(const char* frame, int at) {
  const auto a = static_cast<uint8_t>(frame[at - 1]);
  const auto b = static_cast<uint8_t>(frame[at]);
  return a >= 4 && a <= 8 && b < 19;
}

}  // namespace

int ImportRecordReader::Get() {
  if (blockPos_ == blockLength_) {
    if (failed_) return -1;
    const size_t got = std::fread(block_, 1, sizeof block_, file_);
    if (got == 0) {
      if (std::ferror(file_)) failed_ = true;
      return -1;
    }
    blockPos_ = 0;
    blockLength_ = static_cast<int>(got);
  }
  ++consumed_;
  return static_cast<uint8_t>(block_[blockPos_++]);
}

int ImportRecordReader::Peek() {
  const int c = Get();
  if (c >= 0) {
    --blockPos_;
    --consumed_;
  }
  return c;
}

bool ImportRecordReader::EndsWithLineEnd() const {
  return length_ >= 2 && record_[length_ - 2] == '\r' && record_[length_ - 1] == '\n';
}

bool ImportRecordReader::Next(ImportRecord& record) {
  length_ = 0;
  const int first = Get();
  if (first < 0) return false;
  Take(first);

  if (first == kFrameHeader) {
    record.kind = ImportRecordKind::kBinaryFrame;
    ReadFrame();
  } else if (first == '#' || first == '>') {
    record.kind = ImportRecordKind::kComment;
    ReadLineRest();
  } else if (IsHexDigit(first)) {
    record.kind = ImportRecordKind::kTextLine;
    ReadLineRest();
  } else if (first == '\r' || first == '\n') {
    // An empty line is one line, not the start of a 25-byte piece that
    // would swallow the head of the next message.
    record.kind = ImportRecordKind::kBlankLine;
    if (first == '\r' && Peek() == '\n') Take(Get());
  } else {
    record.kind = ImportRecordKind::kOther;
    ReadOther();
  }

  // A frame's bytes may hold 0x0A as data: only CR LF ends it as a line.
  record.endedLine = record.kind == ImportRecordKind::kBinaryFrame
                         ? EndsWithLineEnd()
                         : length_ > 0 && record_[length_ - 1] == '\n';
  int length = length_;
  if (record.endedLine) {
    ++lines_;
    --length;
    if (length > 0 && record_[length - 1] == '\r') --length;
  }
  record_[length] = '\0';
  record.text = record_;
  record.length = length;
  return true;
}

void ImportRecordReader::ReadFrame() {
  int expected = frameLength_;
  while (length_ < expected && length_ < kImportMaxRecord) {
    const int c = Get();
    if (c < 0) return;
    Take(c);
    if (length_ == 12 && AnnouncesLayout(record_, 11)) expected = frameLength_ = 20;
    if (length_ == 14 && AnnouncesLayout(record_, 13)) expected = frameLength_ = 22;
  }
  // The length counts the frame's own bytes. Where the reader ended it with
  // CR LF beyond them, the pair belongs to this frame; read as a record of
  // its own it would swallow the next frame.
  if (EndsWithLineEnd()) return;
  if (Peek() == '\r') {
    Take(Get());
    if (Peek() == '\n') Take(Get());
  }
}

void ImportRecordReader::ReadLineRest() {
  for (int rest = 0; rest < kImportMaxLineRest; ++rest) {
    const int c = Get();
    if (c < 0) return;
    Take(c);
    if (c == '\n') return;
  }
}

void ImportRecordReader::ReadOther() {
  while (length_ < kOtherCut && length_ < kImportMaxRecord) {
    if (length_ >= kOtherMinLine && EndsWithLineEnd()) return;
    const int c = Get();
    if (c < 0) return;
    Take(c);
  }
}

}  // namespace corvalis
