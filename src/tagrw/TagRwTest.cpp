#include "tagrw/TagRwTest.h"

#include "script/MachineRegistry.h"

namespace corvalis {
namespace {

constexpr int kCrcReminderAfter = 5;
constexpr int kIdlePassesToEnd = 3;
constexpr const char* kLearnFormat = "091100ff0000aa000d0a00";
constexpr const char* kIgnoreCrc = "010d21";

size_t KindSlot(ExchangeKind kind, bool secondGen) {
  return static_cast<size_t>(kind) + (secondGen ? 3u : 0u);
}

bool IsGreen(PageResult r) {
  return r == PageResult::kExact || r == PageResult::kFirstDiffers ||
         r == PageResult::kFirstTwoDiffer;
}

}  // namespace

TagRwTest::TagRwTest(ExpectList& expects, ReaderCommandSender& commands, CommandConsole& console,
                     StatusReporter& status, TransmitSequence& sequence)
    : expects_(expects),
      commands_(commands),
      console_(console),
      status_(status),
      driver_(expects.machines().Create("PageTest", this)) {
  pages_[15].data = "00000000ffff0000";
  for (int gen = 0; gen < 2; ++gen) {
    for (ExchangeKind kind : {ExchangeKind::kRead, ExchangeKind::kWrite, ExchangeKind::kOther}) {
      exchanges_[KindSlot(kind, gen == 1)] =
          std::make_unique<ExchangeMachine>(expects, commands, status, sequence, kind, gen == 1);
    }
  }
  // One state that runs the step evaluator whenever the exchange has ended.
  MachineState* run = driver_.AddState("PageTestRun", StateType::kStart);
  run->SetCallbacks(
      nullptr,
      [this](MachineState&) {
        if (current_ != nullptr && current_->Finished()) Step();
        return 0;
      },
      nullptr);
}

TagRwTest::~TagRwTest() {
  expects_.machines().Destroy(&driver_);
}

void TagRwTest::SetTarget(int channel, int readerId, std::string_view tagId) {
  channel_ = channel;
  readerId_ = readerId;
  tagId_.assign(tagId);
}

std::string TagRwTest::TagId12() const {
  if (!options_.useId) return "000000000000";
  // The ID field holds 16 digits; the tag is addressed by its last 12.
  if (tagId_.size() >= 12) return LowerCase(tagId_.substr(tagId_.size() - 12));
  return std::string(12 - tagId_.size(), '0') + LowerCase(tagId_);
}

ExchangeMachine& TagRwTest::MachineFor(ExchangeKind kind) {
  return *exchanges_[KindSlot(kind, options_.secondGen)];
}

bool TagRwTest::Validate() {
  for (int p = 0; p < kTagPages; ++p) {
    const RwPage& page = pages_[static_cast<size_t>(p)];
    if ((page.write || page.read) && !IsPageData(page.data)) {
      status_.SetLastError("Page " + std::to_string(p) + " needs 16 hex digits");
      return false;
    }
  }
  return true;
}

bool TagRwTest::StartAll() {
  return Start(false, -1);
}

bool TagRwTest::StartPage(int page) {
  if (page < 0 || page >= kTagPages) return false;
  if (options_.secondGen && !running_) {
    commands_.SendCommand(channel_, readerId_, "0125e0");
    commands_.WaitForReply();
  }
  return Start(true, page);
}

bool TagRwTest::Start(bool single, int page) {
  if (running_ || !Validate()) return false;
  running_ = true;
  single_ = single;
  stopRequested_ = false;
  continuous_ = options_.continuous;
  passes_ = 0;
  idlePasses_ = 0;
  exchangeThisPass_ = false;
  page_ = page;
  last_ = Last::kStart;
  current_ = nullptr;
  driver_.Start();
  if (single) {
    if (!BeginPage(true)) PageDone();
  } else {
    PageDone();
  }
  Changed();
  return true;
}

void TagRwTest::Stop() {
  if (!running_) return;
  stopRequested_ = true;
  // Nothing running: end now; otherwise the exchange finishes first.
  if (current_ == nullptr || current_->Finished()) End();
}

void TagRwTest::Exchange(ExchangeKind kind) {
  RwPage& page = pages_[static_cast<size_t>(page_)];
  ExchangeRequest r;
  r.channel = channel_;
  r.readerId = readerId_;
  r.page = page_;
  r.data = page.data;
  r.tagId = options_.secondGen ? tagId_ : TagId12();
  r.anyChannel = options_.testBed;
  current_ = &MachineFor(kind);
  last_ = kind == ExchangeKind::kRead    ? Last::kRead
          : kind == ExchangeKind::kWrite ? Last::kWrite
                                         : Last::kSuspend;
  if (kind == ExchangeKind::kWrite) page.writing = true;
  if (kind == ExchangeKind::kRead) page.result = PageResult::kNone;
  exchangeThisPass_ = true;
  current_->Begin(r);
}

bool TagRwTest::BeginPage(bool allowSuspend) {
  const RwPage& page = pages_[static_cast<size_t>(page_)];
  if (!page.write && !page.read) return false;
  if (allowSuspend && !options_.secondGen && options_.susp) {
    Exchange(ExchangeKind::kOther);
  } else if (page.write && !(options_.skipRedWrites && page.result == PageResult::kNoData)) {
    Exchange(ExchangeKind::kWrite);
  } else if (page.read) {
    Exchange(ExchangeKind::kRead);
  } else {
    return false;
  }
  return true;
}

void TagRwTest::PageDone() {
  current_ = nullptr;
  while (running_) {
    if (stopRequested_) break;
    if (single_) {
      if (!continuous_) break;
      // Every repeat of the single page is a pass.
      ++passes_;
    } else if (page_ >= kTagPages - 1) {
      if (!continuous_) break;
      page_ = -1;
      ++passes_;
    }
    if ((single_ || page_ == -1) && passes_ > 0) {
      idlePasses_ = exchangeThisPass_ ? 0 : idlePasses_ + 1;
      exchangeThisPass_ = false;
      if (idlePasses_ >= kIdlePassesToEnd) break;
    }
    if (!single_) ++page_;
    if (BeginPage(true)) return;
  }
  End();
}

void TagRwTest::Step() {
  ExchangeMachine* finished = current_;
  current_ = nullptr;
  const ExchangeOutcome outcome = finished->Outcome();
  if (stopRequested_) {
    if (last_ == Last::kRead) AfterRead(outcome);
    End();
    return;
  }
  RwPage& page = pages_[static_cast<size_t>(page_)];
  switch (last_) {
    case Last::kRead:
      AfterRead(outcome);
      PageDone();
      break;
    case Last::kWrite:
      page.writing = false;
      page.result = PageResult::kNone;
      if (page.read) {
        Exchange(ExchangeKind::kRead);
      } else {
        PageDone();
      }
      break;
    case Last::kSuspend:
    case Last::kStart:
      if (!BeginPage(false)) PageDone();
      break;
  }
  Changed();
}

void TagRwTest::AfterRead(const ExchangeOutcome& outcome) {
  RwPage& page = pages_[static_cast<size_t>(page_)];
  lastLine_ = outcome.line;
  const std::string data = outcome.ok ? PageDataOf(outcome.line) : std::string();
  if (data.empty()) {
    page.result = PageResult::kNoData;
    ++counters_.red;
    if (++failuresInRow_ == kCrcReminderAfter && view_ != nullptr) view_->ShowCrcReminder();
    return;
  }
  failuresInRow_ = 0;
  page.readBack = data;
  page.result = ComparePage(page.data, data);
  switch (page.result) {
    case PageResult::kExact:
      ++counters_.lime;
      break;
    case PageResult::kFirstDiffers:
    case PageResult::kFirstTwoDiffer:
      ++counters_.darkGreen;
      break;
    default:
      ++counters_.yellow;
      break;
  }
  if ((page_ == 0 || page_ == 15) && tto_ != nullptr) tto_->TtoPageRead(page_, data);
  if (options_.inc && page.write) page.data = IncrementHex(page.data);
  if ((options_.uncheckGreen && IsGreen(page.result)) ||
      (options_.uncheckYellow && page.result == PageResult::kDiffers)) {
    page.write = false;
    page.read = false;
  }
}

void TagRwTest::End() {
  running_ = false;
  stopRequested_ = false;
  continuous_ = false;
  page_ = -1;
  current_ = nullptr;
  for (RwPage& p : pages_) p.writing = false;
  driver_.Idle();
  Changed();
}

void TagRwTest::Changed() {
  if (view_ != nullptr) view_->TagRwChanged();
}

void TagRwTest::SendSuspend() {
  commands_.SendCommand(channel_, readerId_, "0125a0");
}

void TagRwTest::SendResume() {
  commands_.SendCommand(channel_, readerId_, "0125e0");
}

void TagRwTest::RfOn() {
  console_.SendPredefinedCommand(channel_, readerId_, kRfOn);
}

void TagRwTest::RfOff() {
  console_.SendPredefinedCommand(channel_, readerId_, kRfOff);
}

void TagRwTest::Learn() {
  SendBenchFormat();
  ReadAllPages(false);
}

void TagRwTest::SendBenchFormat() {
  if (!options_.secondGen) {
    commands_.SendCommand(channel_, readerId_, kLearnFormat);
    // The channel's format follows the bench format, so the bare page lines
    // are no misses and the automatic query stays quiet; the reader's
    // answer to the query is taken as the channel's format.
    if (commands_.WaitForReply() == WaitResult::kReplied) {
      commands_.SendCommand(channel_, readerId_, "ff11");
      commands_.WaitForReply();
    }
    commands_.SendCommand(channel_, readerId_, kIgnoreCrc);
    commands_.WaitForReply();
  }
}

void TagRwTest::ReadPreset() {
  ReadAllPages(true);
}

void TagRwTest::ReadAllPages(bool continuous) {
  options_.continuous = false;
  Stop();
  RfOn();
  SetAllRead(true);
  SetAllWrite(false);
  options_.susp = true;
  options_.continuous = continuous;
  StartAll();
}

void TagRwTest::IdPreset() {
  options_.continuous = false;
  Stop();
  // The transmitter is off for about 0.3 s, so the tag starts afresh.
  console_.deferred().Clear();
  console_.SendPredefinedCommand(channel_, readerId_, kRfOff);
  console_.deferred().SetSlot(0, channel_, readerId_, kRfOn);
  console_.deferred().Start(3);
}

void TagRwTest::WritePreset() {
  Stop();
  RfOn();
  IncrementPages();
  SetAllRead(true);
  SetAllWrite(true);
  pages_[15].write = false;
  options_.continuous = true;
  options_.inc = true;
  options_.susp = true;
  StartAll();
}

void TagRwTest::WriteEnablePreset() {
  Stop();
  RfOn();
  pages_[15].data = "00000000ffff0000";
  pages_[15].read = true;
  pages_[15].write = true;
  options_.inc = false;
  options_.susp = true;
  StartPage(15);
}

void TagRwTest::FillPages(char digit) {
  for (int p = 0; p < kTagPages - 1; ++p)
    pages_[static_cast<size_t>(p)].data = LowerCase(std::string(kPageDigits, digit));
  Changed();
}

void TagRwTest::CopyPageZeroDown() {
  for (int p = 1; p < kTagPages - 1; ++p) pages_[static_cast<size_t>(p)].data = pages_[0].data;
  Changed();
}

void TagRwTest::FillByPageNumber() {
  static constexpr char kDigits[] = "0123456789abcde";
  for (int p = 0; p < kTagPages - 1; ++p)
    pages_[static_cast<size_t>(p)].data = std::string(kPageDigits, kDigits[p]);
  Changed();
}

void TagRwTest::SetPageData(int page, std::string_view data) {
  if (page < 0 || page >= kTagPages) return;
  pages_[static_cast<size_t>(page)].data = std::string(data);
  Changed();
}

void TagRwTest::IncrementPages() {
  for (int p = 0; p < kTagPages - 1; ++p) {
    RwPage& page = pages_[static_cast<size_t>(p)];
    page.data = IncrementHex(page.data);
  }
  Changed();
}

void TagRwTest::CopyReadsToData() {
  for (RwPage& p : pages_) p.data = p.readBack;
  Changed();
}

void TagRwTest::ClearReads() {
  for (RwPage& p : pages_) {
    p.readBack = "0000000000000000";
    p.result = PageResult::kNone;
  }
  Changed();
}

void TagRwTest::SetAllWrite(bool on) {
  for (RwPage& p : pages_) p.write = on;
  Changed();
}

void TagRwTest::SetAllRead(bool on) {
  for (RwPage& p : pages_) p.read = on;
  Changed();
}

void TagRwTest::UncheckByResult(bool yellow) {
  for (RwPage& p : pages_) {
    if (yellow ? p.result == PageResult::kDiffers : IsGreen(p.result)) {
      p.write = false;
      p.read = false;
    }
  }
  Changed();
}

}  // namespace corvalis
