#include "script/Expect.h"

#include <algorithm>
#include <cstring>

#include "script/MachineRegistry.h"
#include "script/RegexGuard.h"

namespace corvalis {
namespace {

bool IsEreSpecial(char c) {
  return std::strchr(".[]()*+?{}|\\^$", c) != nullptr;
}

// The characters every match of an anchored pattern starts with, so most
// lines are turned away without running the matcher. Empty when the pattern
// is not anchored or has an alternation anywhere.
std::string LiteralPrefix(const std::string& pattern) {
  if (pattern.empty() || pattern[0] != '^' || pattern.find('|') != std::string::npos) return {};
  size_t end = 1;
  while (end < pattern.size() && !IsEreSpecial(pattern[end])) ++end;
  // A quantified last character is optional.
  if (end < pattern.size() && std::strchr("*?{+", pattern[end]) != nullptr && end > 1) --end;
  return pattern.substr(1, end - 1);
}

}  // namespace

Expect::Expect(ExpectList& list) : list_(list) {
  list_.Add(this);
}

Expect::~Expect() {
  *alive_ = false;
  Unlink();
  list_.Remove(this);
  FreePatterns();
  if (machine_ != nullptr) list_.machines().Destroy(machine_);
}

void Expect::Unlink() {
  if (root_ == this) {
    for (Expect* e = next_; e != nullptr; e = e->next_) e->root_ = nullptr;
  } else if (root_ != nullptr) {
    for (Expect* e = root_; e != nullptr; e = e->next_) {
      if (e->next_ == this) {
        e->next_ = nullptr;
        break;
      }
    }
    for (Expect* e = next_; e != nullptr; e = e->next_) e->root_ = nullptr;
  }
  root_ = nullptr;
  next_ = nullptr;
}

void Expect::FreePatterns() {
  for (auto& p : patterns_) {
    if (p->compiled) {
      regfree(&p->test);
      regfree(&p->capture);
    }
  }
  patterns_.clear();
}

void Expect::Compile(const std::vector<ExpectPattern>& patterns) {
  FreePatterns();
  for (const ExpectPattern& source : patterns) {
    auto p = std::make_unique<CompiledPattern>();
    p->source = source;
    if (StacksRepetitions(source.text, RegexSyntax::kExtended)) {
      list_.Show("Error setting regex Stacked repetitions");
      patterns_.push_back(std::move(p));
      continue;
    }
    int rc = regcomp(&p->test, source.text.c_str(), REG_EXTENDED | REG_NOSUB);
    if (rc == 0) {
      rc = regcomp(&p->capture, source.text.c_str(), REG_EXTENDED);
      if (rc != 0) regfree(&p->test);
    }
    if (rc != 0) {
      char reason[256];
      regerror(rc, nullptr, reason, sizeof reason);
      list_.Show(std::string("Error setting regex ") + reason);
    } else {
      p->compiled = true;
      p->prefix = LiteralPrefix(source.text);
    }
    patterns_.push_back(std::move(p));
  }
}

bool Expect::Build() {
  if (machine_ != nullptr) return true;
  StateMachine& m = list_.machines().Create("ExpectStateMachine", this);
  machine_ = &m;
  struct Step {
    const char* name;
    StateType type;
    int (Expect::*callback)(MachineState&);
    const char* failure;
  };
  const Step steps[] = {
      {"StartExpect", StateType::kStart, &Expect::StartState, "Error adding expect Start state: "},
      {"RetryExpect", StateType::kOrdinary, &Expect::RetryState,
       "Error adding expect retry state: "},
      {"WaitForMatch", StateType::kOrdinary, &Expect::WaitState,
       "Error adding expect wait for match state: "},
  };
  for (const Step& step : steps) {
    MachineState* state = m.AddState(step.name, step.type);
    if (state == nullptr) {
      list_.Show(std::string(step.failure) + m.ErrorText());
      return false;
    }
    state->SetCallbacks(
        nullptr, [this, cb = step.callback](MachineState& s) { return (this->*cb)(s); }, nullptr);
  }
  matchedEvent_ = m.AddEvent("ExpectMatched");
  timeoutEvent_ = m.AddEvent("ExpectTimeout");
  m.SetTimeoutEvent(timeoutEvent_);
  MachineState* done = m.AddState("DoneExpect", StateType::kEnd);
  if (done == nullptr) {
    list_.Show(std::string("Error adding end Expect state: ") + m.ErrorText());
    return false;
  }
  done->SetCallbacks(
      nullptr, [this](MachineState& s) { return DoneState(s); }, nullptr);
  return true;
}

void Expect::Arm(std::string_view command, int attempts, int timeoutMs,
                 const std::vector<ExpectPattern>& patterns, int* resultSlot, DoneCallback onDone,
                 int channel, int matchChannel) {
  Unlink();
  active_ = false;
  matched_ = false;
  command_.assign(command);
  attempts_ = attempts;
  timeoutMs_ = timeoutMs;
  resultSlot_ = resultSlot;
  onDone_ = std::move(onDone);
  if (channel >= 0) channel_ = channel;
  matchChannel_ = matchChannel;
  chainPosition_ = 0;
  depth_ = 0;
  Compile(patterns);
  Build();
}

int Expect::Chain(Expect& parent, int timeoutMs, const std::vector<ExpectPattern>& patterns,
                  int* resultSlot, DoneCallback onDone, int channel, int matchChannel) {
  Expect* root = parent.root_ != nullptr ? parent.root_ : &parent;
  Expect* last = root;
  int steps = 0;
  for (; last->next_ != nullptr; last = last->next_) {
    if (last == this || last->next_ == this) {
      list_.Show("Error adding expect child 1");
      return 1;
    }
    if (++steps > 1000 || last->next_->root_ != root) {
      list_.Show("Error adding expect child 2");
      return 2;
    }
  }
  if (last == this) {
    list_.Show("Error adding expect child 1");
    return 1;
  }
  Arm("", 0, timeoutMs, patterns, resultSlot, std::move(onDone),
      channel == kParentChannel ? parent.channel_ : channel, matchChannel);
  root->root_ = root;
  root_ = root;
  last->next_ = this;
  depth_ = last->depth_ + 1;
  return 0;
}

void Expect::Go() {
  matchedIndex_ = -1;
  if (resultSlot_ != nullptr) *resultSlot_ = -1;
  if (machine_ == nullptr) return;
  active_ = true;
  chainPosition_ = 0;
  matched_ = false;
  machine_->Start();
}

void Expect::ResetLines() {
  for (auto& p : patterns_) {
    p->first = 0;
    p->count = 0;
  }
}

std::string_view Expect::LastLine() const {
  if (matchedIndex_ < 0 || matchedIndex_ >= PatternCount()) return {};
  const CompiledPattern& p = *patterns_[static_cast<size_t>(matchedIndex_)];
  if (p.count == 0) return {};
  return p.lines[static_cast<size_t>((p.first + p.count - 1) % kKeptLines)];
}

int Expect::LineCount(int pattern) const {
  if (pattern < 0 || pattern >= PatternCount()) return 0;
  return patterns_[static_cast<size_t>(pattern)]->count;
}

const std::string& Expect::SubMatch(int index) const {
  static const std::string kNone;
  if (index < 0 || index >= kSubMatches) return kNone;
  return subMatches_[static_cast<size_t>(index)];
}

bool Expect::ChannelPasses(int matchChannel, int lineChannel) const {
  if (matchChannel == kMatchCommandChannel) return lineChannel == channel_;
  if (matchChannel == kMatchAnyChannel) return true;
  return lineChannel == matchChannel;
}

void Expect::Keep(CompiledPattern& p, const char* line, int length) {
  if (p.count == kKeptLines) {
    p.first = (p.first + 1) % kKeptLines;
    --p.count;
  }
  p.lines[static_cast<size_t>((p.first + p.count) % kKeptLines)].assign(
      line, static_cast<size_t>(length));
  ++p.count;
}

void Expect::Prepare() {
  matchedIndex_ = -1;
  if (resultSlot_ != nullptr) *resultSlot_ = -1;
  active_ = true;
  chainPosition_ = 0;
  matched_ = false;
}

void Expect::OnLine(int channel, const char* line, int length) {
  const bool chained = root_ != nullptr;
  if (chained) {
    if (root_->chainPosition_ < 0) return;
    if (root_->chainPosition_ != depth_) {
      if (next_ != nullptr) next_->OnLine(channel, line, length);
      return;
    }
  }
  // `line` is terminated by the caller (ExpectList::OfferLine).
  for (size_t i = 0; i < patterns_.size(); ++i) {
    CompiledPattern& p = *patterns_[i];
    if (!p.compiled || !ChannelPasses(matchChannel_, channel)) continue;
    if (!p.prefix.empty() && (static_cast<size_t>(length) < p.prefix.size() ||
                              std::memcmp(line, p.prefix.data(), p.prefix.size()) != 0)) {
      continue;
    }
    if (regexec(&p.test, line, 0, nullptr, 0) != 0) continue;
    regmatch_t groups[kSubMatches + 1];
    if (regexec(&p.capture, line, kSubMatches + 1, groups, 0) != 0) continue;
    for (int g = 0; g < kSubMatches; ++g) {
      const regmatch_t& m = groups[g + 1];
      std::string& out = subMatches_[static_cast<size_t>(g)];
      if (m.rm_so < 0 || m.rm_eo < m.rm_so) {
        out.clear();
      } else {
        out.assign(line + m.rm_so,
                   static_cast<size_t>(std::min<regoff_t>(m.rm_eo - m.rm_so, kSubMatchMax)));
      }
    }
    list_.machines().MarkChanged();
    matched_ = true;
    Keep(p, line, length);
    const int index = static_cast<int>(i);
    if (matchedIndex_ < 0 || matchedIndex_ > index) matchedIndex_ = index;
    MachineEvent* event = p.source.event;
    if (!chained) {
      if (event != nullptr) machine_->PostEvent(matchedEvent_);
      timeLeftAtMatch_ = machine_->TimeLeft();
    }
    if (chained && next_ == nullptr) {
      timeLeftAtMatch_ = root_->machine_->TimeLeft();
      if (event != nullptr) root_->machine_->PostEvent(root_->matchedEvent_);
    }
    if (next_ != nullptr) {
      root_->machine_->SetTimer(next_->timeoutMs_);
      next_->Prepare();
      ++root_->chainPosition_;
    }
    if (chained && root_ != this) {
      if (event != nullptr) machine_->PostEvent(event);
      if (resultSlot_ != nullptr) *resultSlot_ = index;
      active_ = false;
    }
    if (event != nullptr) break;
  }
}

int Expect::StartState(MachineState& state) {
  attemptsLeft_ = attempts_;
  matched_ = false;
  return state.Machine().GoTo("RetryExpect");
}

int Expect::RetryState(MachineState& state) {
  StateMachine& m = state.Machine();
  if (attemptsLeft_ > 0) {
    --attemptsLeft_;
    if (!command_.empty()) list_.Send(channel_, command_);
    m.SetTimer(timeoutMs_);
    return m.GoTo("WaitForMatch");
  }
  matchedIndex_ = -1;
  active_ = false;
  return m.GoTo("DoneExpect");
}

int Expect::WaitState(MachineState& state) {
  StateMachine& m = state.Machine();
  int code = m.TestEvent(matchedEvent_);
  if (code > 0) return code;
  if (code != 0) {
    m.GoTo("DoneExpect");
    m.AcknowledgeEvent(matchedEvent_);
    active_ = false;
    m.SetTimer(0);
    return 0;
  }
  code = m.TestEvent(timeoutEvent_);
  if (code > 0) return code;
  if (code != 0) {
    m.AcknowledgeEvent(timeoutEvent_);
    if (matched_) {
      m.GoTo("DoneExpect");
      active_ = false;
    } else {
      m.GoTo("RetryExpect");
    }
    m.SetTimer(0);
  }
  return 0;
}

int Expect::DoneState(MachineState& state) {
  active_ = false;
  if (root_ == this) chainPosition_ = -1;
  if (resultSlot_ != nullptr) *resultSlot_ = matchedIndex_;
  MachineEvent* event = nullptr;
  if (matchedIndex_ >= 0 && matchedIndex_ < PatternCount())
    event = patterns_[static_cast<size_t>(matchedIndex_)]->source.event;
  MachineEvent* noMatch = matchedIndex_ < 0 ? noMatchEvent_ : nullptr;
  StateMachine& m = state.Machine();
  const int index = matchedIndex_;
  if (onDone_) {
    const std::shared_ptr<bool> alive = alive_;
    DoneCallback callback = onDone_;
    callback(*this, index);
    if (!*alive) return 0;
  }
  // The events belong to the caller's machines, which outlive this one.
  if (event != nullptr) m.PostEvent(event);
  if (noMatch != nullptr) m.PostEvent(noMatch);
  return 0;
}

void ExpectList::ObserveMessage(int channel, const char* text, int length) {
  OfferLine(channel, text, length);
}

bool CommandExpectPort::SendExpectCommand(int channel, std::string_view text) {
  return commands_.SendRaw(channel, text.data(), static_cast<int>(text.size()));
}

void CommandExpectPort::ShowExpectMessage(std::string_view text) {
  status_.DebugLog(text);
}

void ExpectList::Remove(Expect* expect) {
  expects_.erase(std::remove(expects_.begin(), expects_.end(), expect), expects_.end());
}

void ExpectList::OfferLine(int channel, const char* line, int length) {
  if (length < 0) return;
  scratch_.assign(line, static_cast<size_t>(length));
  // By index: nothing below adds or removes expects, but stay safe if it did.
  for (size_t i = 0; i < expects_.size(); ++i) {
    Expect* e = expects_[i];
    if (e->Active() && !e->IsChainChild()) e->OnLine(channel, scratch_.c_str(), length);
  }
}

bool ExpectList::Send(int channel, std::string_view text) {
  return port_ != nullptr && port_->SendExpectCommand(channel, text);
}

void ExpectList::Show(std::string_view text) {
  if (port_ != nullptr) port_->ShowExpectMessage(text);
}

}  // namespace corvalis
