#include "script/firmware/HexCleaner.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "script/firmware/HexRecord.h"

namespace corvalis {
namespace {

constexpr uint32_t kRowSize = 16;

struct Row {
  std::array<uint8_t, kRowSize> bytes{};
  std::array<bool, kRowSize> given{};
};

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

void WriteRow(uint32_t base, const Row& row, std::string& out) {
  size_t first = 0;
  while (!row.given[first]) ++first;
  size_t last = kRowSize - 1;
  while (!row.given[last]) --last;
  std::array<uint8_t, kRowSize> data{};
  for (size_t i = first; i <= last; ++i) data[i - first] = row.given[i] ? row.bytes[i] : 0xff;
  out += FormatHexRecord(static_cast<uint16_t>((base + first) & 0xffff), 0, data.data(),
                         static_cast<int>(last - first + 1));
  out += '\n';
}

std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of("/\\:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace

bool CleanHexText(std::string_view input, std::string& output, std::string& error) {
  std::map<uint32_t, Row> rows;
  std::vector<std::string> trailing;  // start-address and end records
  uint32_t base = 0;
  int lineNumber = 0;
  HexRecord record;
  while (!input.empty()) {
    const size_t end = input.find('\n');
    const std::string_view line = Trimmed(input.substr(0, end));
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    ++lineNumber;
    if (line.empty()) continue;
    const HexParseError parsed = ParseHexRecord(line, record);
    if (parsed != HexParseError::kNone) {
      error = "Line " + std::to_string(lineNumber) + ": " + HexParseErrorText(parsed);
      return false;
    }
    const auto type = static_cast<HexRecordType>(record.type);
    if (type == HexRecordType::kData) {
      for (int i = 0; i < record.count; ++i) {
        const uint32_t at = base + record.address + static_cast<uint32_t>(i);
        Row& row = rows[at & ~(kRowSize - 1)];
        row.bytes[at % kRowSize] = record.data[static_cast<size_t>(i)];
        row.given[at % kRowSize] = true;
      }
    } else if (type == HexRecordType::kExtendedLinear && record.count == 2) {
      base = static_cast<uint32_t>(record.data[0] << 8 | record.data[1]) << 16;
    } else if (type == HexRecordType::kExtendedSegment && record.count == 2) {
      base = static_cast<uint32_t>(record.data[0] << 8 | record.data[1]) << 4;
    } else {
      trailing.emplace_back(line);
      if (type == HexRecordType::kEndOfFile) break;
    }
  }

  std::string out;
  uint32_t upper = 0;
  for (const auto& [rowBase, row] : rows) {
    if (rowBase >> 16 != upper) {
      upper = rowBase >> 16;
      const std::array<uint8_t, 2> high{static_cast<uint8_t>(upper >> 8),
                                        static_cast<uint8_t>(upper)};
      out +=
          FormatHexRecord(0, static_cast<uint8_t>(HexRecordType::kExtendedLinear), high.data(), 2);
      out += '\n';
    }
    WriteRow(rowBase, row, out);
  }
  for (const std::string& line : trailing) out += line + '\n';
  output = std::move(out);
  return true;
}

CleanResult CleanHexFile(const std::string& inputPath) {
  CleanResult result;
  const std::string outputPath = FolderOf(inputPath) + kCleanedFileName;
  if (outputPath.size() > static_cast<size_t>(kHexPathMax)) {
    result.message = "File name too long";
    result.title = "File name error";
    return result;
  }
  const QString input = QString::fromStdString(inputPath);
  const QString output = QString::fromStdString(outputPath);
  if (inputPath == outputPath ||
      (QFileInfo::exists(output) &&
       QFileInfo(input).canonicalFilePath() == QFileInfo(output).canonicalFilePath())) {
    result.message = "Input file is the same as the output file";
    result.title = "Illegal input file";
    return result;
  }
  QFile in(input);
  if (!in.open(QIODevice::ReadOnly)) {
    result.message = "Unable to open file for reading";
    result.title = "File Open Error";
    return result;
  }
  const QByteArray text = in.readAll();
  std::string cleaned;
  std::string error;
  if (!CleanHexText(std::string_view(text.constData(), static_cast<size_t>(text.size())), cleaned,
                    error)) {
    result.message = error;
    result.title = "HEX File Error";
    return result;
  }
  QSaveFile out(output);
  if (!out.open(QIODevice::WriteOnly) ||
      out.write(cleaned.data(), static_cast<qint64>(cleaned.size())) !=
          static_cast<qint64>(cleaned.size()) ||
      !out.commit()) {
    result.message = "Unable to open file for writing";
    result.title = "File Open Error";
    return result;
  }
  result.ok = true;
  result.outputPath = outputPath;
  return result;
}

}  // namespace corvalis
