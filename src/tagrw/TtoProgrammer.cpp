#include "tagrw/TtoProgrammer.h"

#include <cstdio>

namespace corvalis {

TtoProgrammer::TtoProgrammer(TagRwTest& test, ReaderCommandSender& commands,
                             ReaderConfiguration& config)
    : test_(test), commands_(commands), config_(config) {
  commands_.AddReplyRoute(kRateReplyCode, this);
}

TtoProgrammer::~TtoProgrammer() {
  commands_.RemoveReplyRoute(kRateReplyCode, this);
}

void TtoProgrammer::Changed() {
  if (host_ != nullptr) host_->TtoChanged();
}

void TtoProgrammer::RecomputeCrcs() {
  for (int p = 0; p < kTagPages - 1; ++p) {
    RwPage& page = test_.pages()[static_cast<size_t>(p)];
    page.data = PageWithCrc(page.data, crc_);
  }
}

void TtoProgrammer::SelectRate(int period4, std::optional<int> tagBaud) {
  chosenPeriod4_ = period4;
  SendRate(period4);
  // Refused while another sequence runs; that one then wins, as with the menu.
  if (tagBaud) config_.SetTagBaud(test_.Channel(), test_.ReaderId(), *tagBaud);
}

void TtoProgrammer::SendRate(int period4) {
  char body[8];
  std::snprintf(body, sizeof body, "0117%02x", period4 & 0xFF);
  commands_.SendCommand(test_.Channel(), test_.ReaderId(), body);
}

void TtoProgrammer::Setup() {
  test_.SendBenchFormat();
  test_.options().continuous = false;
  test_.Stop();
  test_.RfOn();
  if (host_ != nullptr) host_->ClearTagsAndMemo();
  Changed();
}

void TtoProgrammer::Next() {
  const std::string id = Id().size() >= 12 ? Id() : Id() + std::string(12 - Id().size(), '0');
  SetId(IncrementHex(id.substr(0, 12)) + id.substr(12));
  Again();
}

void TtoProgrammer::Again() {
  RecomputeCrcs();
  SetConfig(WithTrim(Config(), kNewTagTrim));
  SelectRate(kUntrimmedPeriod4, kTagBaud128k);
  StartPolling();
}

void TtoProgrammer::Test(int period4) {
  SendRate(period4);
  StartPolling();
}

void TtoProgrammer::StartPolling() {
  invertedId_ = InvertHex(Id());
  if (host_ != nullptr) host_->ClearTagsAndMemo();
  hasRate_ = false;
  poller_.Start();
  Changed();
}

void TtoProgrammer::Program() {
  poller_.Stop();
  test_.options().continuous = false;
  test_.Stop();
  for (int p = 0; p < kTagPages; ++p) {
    RwPage& page = test_.pages()[static_cast<size_t>(p)];
    page.write = page.read = p == 0 || p == 15;
  }
  test_.options().inc = false;
  test_.options().susp = false;
  test_.StartAll();
}

void TtoProgrammer::WriteId() {
  poller_.Stop();
  test_.options().continuous = false;
  RwPage& page = test_.pages()[0];
  page.write = page.read = true;
  test_.StartPage(0);
}

void TtoProgrammer::WriteConfig() {
  poller_.Stop();
  RwPage& page = test_.pages()[15];
  page.write = page.read = true;
  test_.options().uncheckGreen = true;
  test_.options().uncheckYellow = false;
  test_.options().susp = true;
  test_.options().continuous = true;
  test_.StartPage(15);
}

void TtoProgrammer::ReadOnce(int pageNumber) {
  poller_.Stop();
  test_.options().continuous = false;
  RwPage& page = test_.pages()[static_cast<size_t>(pageNumber)];
  page.write = false;
  page.read = true;
  test_.StartPage(pageNumber);
}

void TtoProgrammer::ReadId() {
  ReadOnce(0);
}

void TtoProgrammer::ReadConfig() {
  ReadOnce(15);
}

void TtoProgrammer::Faster() {
  SetConfig(StepTrim(Config(), 4));
  Changed();
}

void TtoProgrammer::Slower() {
  SetConfig(StepTrim(Config(), -4));
  Changed();
}

void TtoProgrammer::Load(const TtoConfig& fields) {
  SetConfig(LoadConfigWord(fields, Config()));
  Changed();
}

void TtoProgrammer::CopyBias() {
  const std::string& actual = test_.pages()[15].readBack;
  if (actual.size() >= 6) SetConfig(WithTrim(Config(), actual.substr(4, 2)));
  Changed();
}

void TtoProgrammer::TakeConfigReadBack(bool total) {
  const std::string& actual = test_.pages()[15].readBack;
  if (!total) {
    SetConfig(actual);
  } else if (actual.size() >= 6) {
    SetConfig(actual.substr(0, 6) + "ebffff0001");
    test_.Stop();
    test_.SendResume();
  }
  Changed();
}

void TtoProgrammer::Tick() {
  if (poller_.Tick()) commands_.SendCommand(test_.Channel(), test_.ReaderId(), "0038");
}

void TtoProgrammer::TakeReply(const ReplyView& reply) {
  const auto period = TtoPeriodOf(std::string_view(reply.text, static_cast<size_t>(reply.length)));
  if (!period) return;
  rate_ = TtoRate(*period);
  band_ = BandOf(rate_);
  hasRate_ = true;
  Changed();
}

TtoProgrammer::IdMatch TtoProgrammer::IdSeen(std::string_view id) {
  IdMatch match = IdMatch::kNone;
  if (SameHex(id, Id())) {
    match = IdMatch::kOwnId;
  } else if (!test_.Running() || test_.CurrentPage() == 0) {
    match = SameHex(id, invertedId_) ? IdMatch::kInverted : IdMatch::kOther;
  }
  if (match == IdMatch::kNone) return match;
  // A busy reader repeats the same tag: redraw only when the panel changes.
  const bool changed = match != lastMatch_ || !SameHex(id, lastIdSeen_);
  lastIdSeen_.assign(id);
  lastMatch_ = match;
  if (changed && host_ != nullptr) host_->TtoIdSeen();
  return match;
}

}  // namespace corvalis
