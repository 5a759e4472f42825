#include "tags/SeenView.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <utility>

#include "tags/PageMerge.h"

namespace corvalis {
namespace {

constexpr const char* kRateRowLabel = "Rate (IDs/s)  ";

void CopyCell(char (&out)[kSeenCellChars], const char* text) {
  const size_t n = std::min(std::strlen(text), sizeof out - 1);
  std::memcpy(out, text, n);
  out[n] = '\0';
}

template <size_t N>
void WriteInteger(char (&out)[N], int64_t value) {
  const auto result = std::to_chars(out, out + N - 1, value);
  *result.ptr = '\0';
}

// "%.1f" without the C locale: the window's locale may use a decimal comma.
template <size_t N>
void WriteRate(char (&out)[N], double value) {
  const auto result = std::to_chars(out, out + N - 1, value, std::chars_format::fixed, 1);
  *result.ptr = '\0';
}

const char* StatusText(const TagRecord& entry) {
  if (entry.tamper != 0) return "T";
  if (entry.flagFS != 0) return "FS";
  if (entry.flagLS != 0) return "LS";
  return "";
}

int Digits(int64_t value) {
  int digits = 1;
  while (value >= 10) {
    value /= 10;
    ++digits;
  }
  return digits;
}

}  // namespace

int RateColourClass(int value) {
  static constexpr int kLowerBounds[] = {1, 5, 8, 12, 18, 27, 40, 60, 90, 135, 200};
  int colourClass = 0;
  for (const int bound : kLowerBounds) {
    if (value >= bound) ++colourClass;
  }
  return colourClass;
}

RateColour RatePaletteColour(int value) {
  static constexpr RateColour kPalette[] = {
      {true, 0, 0, 0},        {false, 0, 96, 0},      {false, 0, 144, 0},
      {false, 0, 192, 0},     {false, 0, 224, 0},     {false, 0, 255, 0},
      {false, 48, 255, 48},   {false, 96, 255, 96},   {false, 144, 255, 144},
      {false, 192, 255, 192}, {false, 224, 255, 224}, {false, 255, 255, 255},
  };
  return kPalette[RateColourClass(value)];
}

int CycleNumToShow(int numToShow, bool halve) {
  const int next = halve ? numToShow / 2 : numToShow * 2;
  if (next > kMaxSeenRows) return 1;
  if (next < 1) return kMaxSeenRows;
  return next;
}

const char* SoundCaption(bool soundOn) {
  return soundOn ? "Quiet" : "Sound";
}

int PickGridFontPointSize(double points) {
  static constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
  int chosen = 5;
  for (const int size : kSizes) {
    if (size < points) chosen = size;
  }
  return chosen;
}

SeenView::SeenView(TagTable& table, const Clock& clock)
    : table_(table), clock_(clock), ticksToBucket_(settings_.readRatePeriod) {
  WriteInteger(templateText_, countTemplate_);
  WriteInteger(numSeenText_, 0);
}

void SeenView::SetCell(int row, int column, const char* text) {
  Cell& cell = cells_[row][column];
  if (std::strncmp(cell.text, text, sizeof cell.text - 1) == 0) return;
  CopyCell(cell.text, text);
  cell.marked = true;
}

void SeenView::LayoutSeenView() {
  tagRows_ = std::clamp(settings_.numToShow, 1, kMaxSeenRows);
  rowCount_ = tagRows_ + (settings_.showReadRate ? 1 : 0);
  // The grid's cells change meaning (the Q column comes and goes, the rate
  // row moves): start from blank and let the next refresh fill them.
  for (auto& row : cells_) {
    for (Cell& cell : row) {
      if (cell.text[0] != '\0') {
        cell.text[0] = '\0';
        cell.marked = true;
      }
    }
  }
  shownRows_ = 0;
  shownLength_ = -1;
  rateChanged_ = true;
  widthsChanged_ = true;
}

void SeenView::RefreshSeenView(int layoutChanged) {
  TagTableLock::Guard guard(table_.Lock());
  if (layoutChanged != 0) {
    shownRows_ = 0;
    shownLength_ = -1;
    if (layoutChanged > 1) return;
  }
  if (tagRows_ == 0) LayoutSeenView();

  const WallTime now = clock_.Now();
  const int64_t timeoutMs = int64_t{settings_.showTimeoutSec} * 1000;
  const int painted = shownRows_;
  bool moved[kMaxSeenRows] = {};
  int kept = 0;
  table_.RemoveSeenEntries([&](int index, const TagRecord& entry) {
    if (MillisBetween(WallTime{entry.pcSeenSec, entry.pcSeenMs}, now) > timeoutMs) return true;
    if (kept < kMaxSeenRows) moved[kept] = index != kept;
    ++kept;
    return false;
  });

  const int length = table_.SeenLength();
  const int rows = std::min(length, tagRows_);
  for (int k = 0; k < length; ++k) {
    TagRecord& entry = table_.SeenEntryForUpdate(k);
    if (k < rows) PaintRow(k, entry, moved[k] || k >= painted);
    UpdateActivity(entry, now);
  }

  if (length != shownLength_) {
    shownLength_ = length;
    WriteInteger(numSeenText_, length);
    numSeenChanged_ = true;
  }
  // Rows that lost their tag: unchanged blanks cost nothing, so every row
  // below the tags is checked, also after a repaint-all that forgot them.
  for (int k = rows; k < tagRows_; ++k) {
    for (int column = 0; column < ColumnCount(); ++column) SetCell(k, column, "");
  }
  shownRows_ = rows;

  if (settings_.showReadRate && (layoutChanged != 0 || rateChanged_)) PaintRateRow(true);
  rateChanged_ = false;
}

void SeenView::PaintRow(int row, const TagRecord& entry, bool whole) {
  if (whole) {
    const char* label = entry.hexId;
    switch (settings_.showWhat) {
      case SeenLabel::kName:
        label = entry.nameText;
        break;
      case SeenLabel::kWiegand26:
        label = entry.wiegand26Text;
        break;
      case SeenLabel::kWiegand34:
        label = entry.wiegand34Text;
        break;
      case SeenLabel::kId:
        break;
    }
    SetCell(row, 0, label);
  }
  if (whole || entry.count != entry.countAtRefresh) {
    if (settings_.separateIQ) {
      char text[16];
      WriteInteger(text, entry.iCount);
      PaintCount(row, CountColumn(), text, entry.iCount);
      WriteInteger(text, entry.qCount);
      PaintCount(row, QColumn(), text, entry.qCount);
    } else {
      PaintCount(row, CountColumn(), entry.countText, entry.count);
    }
  }
  // A read can change the flags without changing the count (a zero-count
  // read), so the status is compared rather than tied to the count.
  SetCell(row, StatusColumn(), StatusText(entry));
}

void SeenView::PaintCount(int row, int column, const char* text, int32_t value) {
  SetCell(row, column, text);
  GrowTemplateFor(text, value);
}

void SeenView::GrowTemplateFor(const char* text, int32_t value) {
  // The template must cover the printed text too: "*  2*" under a noise
  // limit is wider than four digits.
  const int length = static_cast<int>(std::strlen(text));
  bool grew = false;
  while ((value > countTemplate_ || length > Digits(countTemplate_)) &&
         countTemplate_ < 99'999'999'999'999LL) {
    countTemplate_ = countTemplate_ * 10 + 9;
    grew = true;
  }
  if (grew) {
    WriteInteger(templateText_, countTemplate_);
    widthsChanged_ = true;
  }
}

void SeenView::PaintRateRow(bool wholeRow) {
  const int row = tagRows_;
  char label[kSeenCellChars];
  char* out = label;
  char* const end = label + sizeof label - 1;
  for (const char* part : {kRateRowLabel, static_cast<const char*>(hopText_)}) {
    for (; *part != '\0' && out < end; ++part) *out++ = *part;
  }
  if (hopText_[0] != '\0') {
    for (const char* part = "MHz"; *part != '\0' && out < end; ++part) *out++ = *part;
  }
  *out = '\0';
  SetCell(row, 0, label);
  if (!wholeRow) return;
  // Rates share the count columns, so they widen them like counts do.
  PaintCount(row, CountColumn(), rateIText_, 0);
  if (QColumn() >= 0) PaintCount(row, QColumn(), rateQText_, 0);
  SetCell(row, StatusColumn(), "");
}

void SeenView::UpdateActivity(TagRecord& entry, WallTime now) {
  if (entry.count == entry.countAtRefresh) {
    if (entry.activityTicks > 10) entry.activityTicks = 5;
    if (--entry.activityTicks < 0) {
      entry.activity = 1;
      entry.activityReads = 0;
      entry.activityTicks = 0;
    }
  } else {
    entry.activityReads += entry.count - entry.countAtRefresh;
    // A new entry has no window yet; measuring from 1970 would hold the
    // estimate at its floor for its first second.
    if (entry.activityStartSec == 0 && entry.activityStartMs == 0) {
      entry.activityStartSec = now.sec;
      entry.activityStartMs = now.ms;
    }
    const int64_t span =
        MillisBetween(WallTime{entry.activityStartSec, entry.activityStartMs}, now);
    const int64_t estimate = span <= 0 ? 5 : int64_t{entry.activityReads} * 150 / span + 2;
    entry.activity = static_cast<int32_t>(std::min<int64_t>(estimate, 5));
    if (++entry.activityTicks > 10) {
      entry.activityStartSec = now.sec;
      entry.activityStartMs = now.ms;
      entry.activityTicks = 4;
      entry.activityReads = 0;
    }
  }
  entry.countAtRefresh = entry.count;
}

void SeenView::ReadRateStep() {
  const int period = std::max(settings_.readRatePeriod, 1);
  ticksToBucket_ = std::min(ticksToBucket_, period);
  if (--ticksToBucket_ > 0) return;
  ticksToBucket_ = period;

  TagTableLock::Guard guard(table_.Lock());
  ReadRateBuckets& buckets = table_.ReadRate();
  const WallTime now = clock_.Now();
  const int64_t nowMs = int64_t{now.sec} * 1000 + now.ms;
  const int32_t previousI = iSum_;
  const int32_t previousQ = qSum_;
  int64_t iSum = 0;
  int64_t qSum = 0;
  int oldestActive = 0;
  const int intervals = std::clamp(settings_.readRateIntervals, 1, kReadRateBuckets);
  // Every channel's reads are also in the all-channel buckets, so those
  // alone give the sums and the oldest active bucket.
  for (int offset = 0; offset < intervals; ++offset) {
    const int b = (buckets.current - offset + kReadRateBuckets) % kReadRateBuckets;
    iSum += buckets.allI[b];
    qSum += buckets.allQ[b];
    if (buckets.allI[b] != 0 || buckets.allQ[b] != 0) oldestActive = offset;
  }
  buckets.current = (buckets.current + 1) % kReadRateBuckets;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    buckets.i[channel][buckets.current] = 0;
    buckets.q[channel][buckets.current] = 0;
  }
  buckets.allI[buckets.current] = 0;
  buckets.allQ[buckets.current] = 0;
  buckets.startedMs[buckets.current] = nowMs;

  iSum_ = static_cast<int32_t>(std::min<int64_t>(iSum, INT32_MAX));
  qSum_ = static_cast<int32_t>(std::min<int64_t>(qSum, INT32_MAX));
  // Measured from the oldest bucket with reads: a burst that just began is
  // not diluted by the quiet buckets before it. The span is the clock's, not
  // the ticks': a busy window or a lax timer stretches the ticks, and
  // counting them would show too high a rate. Only a bucket whose start is
  // not known (the first, or one cleared since) falls back to the ticks.
  const int oldestBucket =
      (buckets.current - 1 - oldestActive + 2 * kReadRateBuckets) % kReadRateBuckets;
  const int64_t startedMs = buckets.startedMs[oldestBucket];
  const double nominal = (oldestActive + 1) * 0.1 * period;
  const double seconds =
      startedMs > 0 && nowMs > startedMs ? static_cast<double>(nowMs - startedMs) / 1000 : nominal;
  const double iRate = static_cast<double>(settings_.separateIQ ? iSum : iSum + qSum) / seconds;
  char iText[sizeof rateIText_];
  char qText[sizeof rateQText_];
  WriteRate(iText, iRate);
  WriteRate(qText, static_cast<double>(qSum) / seconds);
  // The rate also moves with the span while the sums stay: a burst ageing
  // through the window reads lower each time, so the texts count as well.
  const bool textChanged =
      std::strcmp(iText, rateIText_) != 0 || std::strcmp(qText, rateQText_) != 0;
  std::memcpy(rateIText_, iText, sizeof iText);
  std::memcpy(rateQText_, qText, sizeof qText);
  rateEvaluated_ = true;
  if (iSum_ != previousI || qSum_ != previousQ || textChanged) rateChanged_ = true;
}

void SeenView::SeenTableCleared() {
  countTemplate_ = kInitialCountTemplate;
  WriteInteger(templateText_, countTemplate_);
  widthsChanged_ = true;
  iSum_ = 0;
  qSum_ = 0;
  WriteRate(rateIText_, 0.0);
  WriteRate(rateQText_, 0.0);
  rateChanged_ = true;
  rateEvaluated_ = true;
  shownRows_ = 0;
}

void SeenView::ClearPageData() {
  TagTableLock::Guard guard(table_.Lock());
  for (int k = 0; k < table_.SeenLength(); ++k) ClearPages(table_.SeenEntryForUpdate(k));
}

bool SeenView::TakeWidthsChanged() {
  return std::exchange(widthsChanged_, false);
}

bool SeenView::TakeNumSeenChanged() {
  return std::exchange(numSeenChanged_, false);
}

bool SeenView::TakeRateEvaluated() {
  return std::exchange(rateEvaluated_, false);
}

void SeenView::SetHopFrequencyText(const char* text) {
  const size_t n = std::min(std::strlen(text), sizeof hopText_ - 1);
  std::memcpy(hopText_, text, n);
  hopText_[n] = '\0';
  rateChanged_ = true;
}

const char* SeenView::RowHexId(int row) const {
  if (row < 0 || row >= shownRows_ || row >= table_.SeenLength()) return nullptr;
  return table_.SeenEntry(row).hexId;
}

}  // namespace corvalis
