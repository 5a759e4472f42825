#include "tags/PageDisplay.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "protocol/Checksums.h"
#include "tags/PageMerge.h"

namespace corvalis {
namespace {

// The rendered page followed by the tag CRC of its characters.
std::string CrcView(const PageContent& content) {
  const char* shown = content.shown;
  const size_t length = strnlen(shown, sizeof content.shown);
  const uint16_t crc = TagCrc(reinterpret_cast<const uint8_t*>(shown), static_cast<int>(length), 0);
  char hex[8];
  std::snprintf(hex, sizeof hex, " %04x", crc);
  return std::string(shown, length) + hex;
}

}  // namespace

void PageDisplay::Resize(int rows, int columns) {
  if (rows == rows_ && columns == columns_) return;
  rows_ = rows;
  columns_ = columns;
  cells_.assign(static_cast<size_t>(rows * columns), std::string());
  columnsChanged_ = true;
}

void PageDisplay::FitCount(int32_t count) {
  int digits = 1;
  for (int32_t rest = count; rest >= 10; rest /= 10) ++digits;
  if (digits > countDigits_) {
    // One digit more than the template held, as the Tags Seen view grows.
    countDigits_ = std::max(countDigits_ + 1, digits);
    columnsChanged_ = true;
  }
}

bool PageDisplay::TakeColumnsChanged() {
  const bool changed = columnsChanged_;
  columnsChanged_ = false;
  return changed;
}

void PageDisplay::Refresh(const PageDisplayOptions& options) {
  const int pages = std::clamp(options.numPages, 1, kPageSlotCount);
  const int perPage = ColumnsPerPage(options);
  Resize(std::max(options.numToShow, 0) + 1, 1 + pages * perPage);

  At(0, 0) = "Tag";
  for (int g = 0; g < pages; ++g) {
    const int page = (options.firstPage + g) % kPageSlotCount;
    const int column = 1 + g * perPage;
    At(0, column) = "Page " + std::to_string(page);
    if (perPage == 2) At(0, column + 1) = "I+Q";
    if (perPage == 3) {
      At(0, column + 1) = "I";
      At(0, column + 2) = "Q";
    }
  }

  for (int row = 1; row < rows_; ++row) {
    const int index = row - 1;
    const bool shown =
        index < table_.SeenLength() && table_.SeenEntry(index).count > options.noiseLimit;
    if (!shown) {
      for (int column = 0; column < columns_; ++column) At(row, column).clear();
      continue;
    }
    const TagRecord& entry = table_.SeenEntry(index);
    At(row, 0) = options.showId ? entry.hexId : entry.nameText;
    for (int g = 0; g < pages; ++g) {
      const PageContent& content = entry.pages[(options.firstPage + g) % kPageSlotCount].primary;
      const int column = 1 + g * perPage;
      if (content.count <= options.noiseLimit) {
        for (int k = 0; k < perPage; ++k) At(row, column + k).clear();
        continue;
      }
      if (!options.text) {
        At(row, column) = content.text;
      } else if (options.crc) {
        At(row, column) = CrcView(content);
      } else {
        At(row, column) = content.shown;
      }
      if (perPage == 2) {
        FitCount(content.count);
        At(row, column + 1) = std::to_string(content.count);
      } else if (perPage == 3) {
        FitCount(std::max(content.iCount, content.qCount));
        At(row, column + 1) = std::to_string(content.iCount);
        At(row, column + 2) = std::to_string(content.qCount);
      }
    }
  }
}

void ClearPageData(TagTable& table) {
  TagTableLock::Guard guard(table.Lock());
  for (int index = 0; index < table.SeenLength(); ++index) {
    ClearPages(table.SeenEntryForUpdate(index));
  }
}

}  // namespace corvalis
