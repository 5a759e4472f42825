#include "tagrw/RwExchange.h"

#include "control/CommandWord.h"
#include "script/MachineRegistry.h"
#include "tagrw/PageHex.h"

namespace corvalis {
namespace {

constexpr const char* kHexLine = "^[0-9a-fA-F]{16}$";
constexpr const char* kTransmit1G = "ab00001627\r\n";
constexpr size_t kAdLineLength = 37;

std::vector<std::string> NamesOf(ExchangeKind kind, bool secondGen) {
  switch (kind) {
    case ExchangeKind::kRead:
      if (secondGen) return {"ReadStart", "ReadCommandExpect", "ReadEnd"};
      return {"ReadStart", "ReadCommandExpect", "ReadTransmitExpect", "ReadEnd"};
    case ExchangeKind::kWrite:
      if (secondGen) return {"WriteStart", "WriteDataExpect", "WriteCommandExpect", "WriteEnd"};
      return {"WriteStart", "WriteDataExpect", "WriteCommandExpect", "WriteTransmitExpect",
              "WriteEnd"};
    case ExchangeKind::kOther:
      if (secondGen) return {"OtherStart", "OtherCommandExpect", "OtherEnd"};
      return {"OtherStart", "OtherCommandExpect", "OtherTransmitExpect", "OtherEnd"};
  }
  return {};
}

const char* MachineName(ExchangeKind kind) {
  switch (kind) {
    case ExchangeKind::kRead:
      return "ReadCommand";
    case ExchangeKind::kWrite:
      return "WriteCommand";
    case ExchangeKind::kOther:
      return "OtherCommand";
  }
  return "";
}

uint16_t WordFor(int command, int page, int pages) {
  CommandWordFields f;
  f.command = command;
  f.startPage = page;
  f.numPages = pages;
  return CommandWord(f);
}

std::string Hex4(uint16_t word) {
  static constexpr char kDigits[] = "0123456789abcdef";
  return {kDigits[word >> 12], kDigits[(word >> 8) & 15], kDigits[(word >> 4) & 15],
          kDigits[word & 15]};
}

}  // namespace

std::string PageDataOf(std::string_view line) {
  if (line.size() >= kAdLineLength && line.substr(0, 2) == "ad")
    return std::string(line.substr(kAdLineLength - 16, 16));
  return std::string(line.substr(0, 16));
}

ExchangeMachine::ExchangeMachine(ExpectList& expects, ReaderCommandSender& commands,
                                 StatusReporter& status, TransmitSequence& sequence,
                                 ExchangeKind kind, bool secondGeneration)
    : expects_(expects),
      commands_(commands),
      status_(status),
      sequence_(sequence),
      kind_(kind),
      secondGen_(secondGeneration),
      machine_(expects.machines().Create(MachineName(kind), this)),
      names_(NamesOf(kind, secondGeneration)),
      root_(expects),
      child_(expects) {
  Build();
}

ExchangeMachine::~ExchangeMachine() {
  expects_.machines().Destroy(&machine_);
}

void ExchangeMachine::Build() {
  if (kind_ == ExchangeKind::kRead) {
    done_ = machine_.AddEvent("ReadExpectDone");
    done2_ = machine_.AddEvent("ReadExpectDone2");
  } else {
    done_ = machine_.AddEvent("ExpectDone");
    done2_ = done_;
  }
  const size_t last = names_.size() - 1;
  for (size_t i = 0; i < names_.size(); ++i) {
    const StateType type = i == 0      ? StateType::kStart
                           : i == last ? StateType::kEnd
                                       : StateType::kOrdinary;
    MachineState* state = machine_.AddState(names_[i], type);
    if (state == nullptr) {
      status_.DebugLog(std::string("Error adding state ") + names_[i] + ": " +
                       machine_.ErrorText());
      continue;
    }
    if (i == 0) {
      state->SetCallbacks(
          nullptr, [this](MachineState& s) { return s.Machine().GoTo(names_[1]); }, nullptr);
    } else if (i < last) {
      state->SetCallbacks(
          [this, i](MachineState&) {
            const Stage& stage = stages_[i - 1];
            MachineEvent* event = i % 2 == 1 ? done_ : done2_;
            const int matchChannel =
                request_.anyChannel ? Expect::kMatchAnyChannel : Expect::kMatchCommandChannel;
            root_.Arm(
                stage.line, kExchangeAttempts, kExchangeTimeoutMs,
                [&] {
                  auto p = Patterns(stage.elements[0]);
                  for (auto& e : p) e.event = event;
                  return p;
                }(),
                &rootResult_, nullptr, request_.channel, matchChannel);
            root_.SetNoMatchEvent(event);
            childResult_ = -1;
            if (stage.elements.size() > 1) {
              auto p = Patterns(stage.elements[1]);
              for (auto& e : p) e.event = event;
              child_.Chain(root_, kExchangeTimeoutMs, p, &childResult_, nullptr,
                           Expect::kParentChannel, matchChannel);
            }
            root_.Go();
            return 0;
          },
          [this, i](MachineState& s) { return RunStage(s, i - 1); }, nullptr);
    }
  }
}

std::vector<ExpectPattern> ExchangeMachine::Patterns(const std::vector<std::string>& texts) const {
  std::vector<ExpectPattern> out;
  for (const std::string& t : texts) out.push_back({t, nullptr});
  return out;
}

int ExchangeMachine::RunStage(MachineState& state, size_t index) {
  MachineEvent* event = index % 2 == 0 ? done_ : done2_;
  if (root_.Active() || !event->IsSet()) return 0;
  StateMachine& m = state.Machine();
  m.AcknowledgeEvent(event);
  const Stage& stage = stages_[index];
  const bool chained = stage.elements.size() > 1;
  const bool ok = chained ? childResult_ >= 0 : rootResult_ >= 0;
  if (!ok) {
    status_.DebugLog(stage.failure);
    outcome_.errorCode = kNoReplyCode;
    return m.GoTo(names_.back());
  }
  if (chained) outcome_.line = std::string(child_.LastLine());
  if (index + 1 == stages_.size()) {
    outcome_.ok = true;
    return m.GoTo(names_.back());
  }
  return m.GoTo(names_[index + 2]);
}

std::string ExchangeMachine::Framed(int readerId, const std::string& body) {
  char line[kCommandLineMax + 1];
  const int n = commands_.FormatCommand(line, readerId, body);
  return std::string(line, static_cast<size_t>(n));
}

void ExchangeMachine::Plan(const ExchangeRequest& request) {
  stages_.clear();
  // Protocol hex is lower case; the data was checked to be 16 hex digits.
  ExchangeRequest r = request;
  r.data = LowerCase(r.data);
  r.tagId = LowerCase(r.tagId);
  const char* download = "No reply to download command.";
  const char* readFailure = "No reply to read command.";
  const char* writeFailure = "No reply to write command.";
  const int command = kind_ == ExchangeKind::kRead    ? kCmdRead
                      : kind_ == ExchangeKind::kWrite ? kCmdWrite
                                                      : kCmdSuspend;
  const int page = kind_ == ExchangeKind::kOther ? 0 : r.page;
  const int pages = kind_ == ExchangeKind::kOther ? 0 : 1;
  if (!secondGen_) {
    const std::string load =
        Framed(r.readerId, "091500" + Hex4(WordFor(command, page, pages)) + LowerCase(r.tagId));
    switch (kind_) {
      case ExchangeKind::kRead:
        stages_.push_back({load, {{"^ab..0015(..)$"}}, download});
        stages_.push_back(
            {kTransmit1G, {{"^ab..0016(..)$"}, {"^" + r.data + "$", kHexLine}}, readFailure});
        break;
      case ExchangeKind::kWrite:
        stages_.push_back({Framed(r.readerId, "091501" + r.data), {{"^ab..0015..$"}}, download});
        stages_.push_back({load, {{"^ab..0015..$"}}, download});
        stages_.push_back({kTransmit1G, {{"^ab..0016..$"}}, writeFailure});
        break;
      case ExchangeKind::kOther:
        stages_.push_back({load, {{"^ab..0015..$"}}, download});
        stages_.push_back({kTransmit1G, {{"^ab..0016..$"}, {kHexLine}}, readFailure});
        break;
    }
    return;
  }
  CommandWordFields f;
  f.command = command;
  f.startPage = page;
  f.numPages = pages;
  const bool addressed = !r.tagId.empty();
  const std::string block = sequence_.NextBlock(
      f, addressed ? TransmitTarget::kSpecific : TransmitTarget::kImmediate, false, false);
  const std::string transmit =
      Framed(r.readerId, addressed ? "0b20" + block + r.tagId : "0320" + block);
  switch (kind_) {
    case ExchangeKind::kRead:
      stages_.push_back({transmit,
                         {{"^ab..0020.."}, {"^ad458.............[f96].." + r.data + "$"}},
                         readFailure});
      break;
    case ExchangeKind::kWrite:
      stages_.push_back({Framed(r.readerId, "0821" + r.data), {{"^ab..0021..$"}}, download});
      stages_.push_back({transmit, {{"^ab..0020..$"}}, writeFailure});
      break;
    case ExchangeKind::kOther:
      stages_.push_back({transmit, {{"^ab..0020..$"}, {kHexLine}}, readFailure});
      break;
  }
}

void ExchangeMachine::Begin(const ExchangeRequest& request) {
  request_ = request;
  outcome_ = {};
  Plan(request);
  begun_ = true;
  machine_.Start();
}

bool ExchangeMachine::Finished() const {
  return begun_ && machine_.Status() == MachineStatus::kEnded;
}

}  // namespace corvalis
