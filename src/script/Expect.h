#pragma once

#include <regex.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/StatusReporter.h"
#include "protocol/MessageDispatcher.h"
#include "protocol/ReaderCommandSender.h"
#include "script/StateMachine.h"

namespace corvalis {

class ExpectList;
class MachineRegistry;

// One pattern an expect waits for, and the event posted when it matches
// (null: the match is recorded but does not end the wait).
struct ExpectPattern {
  std::string text;
  MachineEvent* event = nullptr;
};

// Sends a command text on a channel and watches the received lines for any
// of its extended regular expressions, resending after each time-out until
// its attempts are used up. Its own state machine does the waiting, so it
// runs on the registry's passes. Expects can be chained: each further
// element waits for the next line under the root's one deadline.
class Expect {
 public:
  static constexpr int kKeptLines = 11;
  static constexpr int kSubMatches = 10;
  static constexpr int kSubMatchMax = 131;
  // Match-channel choices: the command's channel, or any.
  static constexpr int kMatchCommandChannel = -10;
  static constexpr int kMatchAnyChannel = -1;
  // ChainExpect's channel: the parent's.
  static constexpr int kParentChannel = -2;

  using DoneCallback = std::function<void(Expect&, int matchedIndex)>;

  explicit Expect(ExpectList& list);
  ~Expect();
  Expect(const Expect&) = delete;
  Expect& operator=(const Expect&) = delete;

  // Patterns that fail to compile are reported once and never match.
  void Arm(std::string_view command, int attempts, int timeoutMs,
           const std::vector<ExpectPattern>& patterns, int* resultSlot, DoneCallback onDone,
           int channel, int matchChannel);
  // 0, or 1 when this element is already in the parent's chain, 2 when the
  // chain is inconsistent (both reported).
  int Chain(Expect& parent, int timeoutMs, const std::vector<ExpectPattern>& patterns,
            int* resultSlot, DoneCallback onDone, int channel, int matchChannel);
  void Go();
  void ResetLines();
  // The newest kept line of the matched pattern; empty when none.
  std::string_view LastLine() const;

  // A received line (`line` need not be terminated).
  void OnLine(int channel, const char* line, int length);

  void SetNoMatchEvent(MachineEvent* event) { noMatchEvent_ = event; }

  bool Active() const { return active_; }
  bool Built() const { return machine_ != nullptr; }
  bool Matched() const { return matched_; }
  int MatchedIndex() const { return matchedIndex_; }
  const std::string& SubMatch(int index) const;
  int64_t TimeLeftAtMatch() const { return timeLeftAtMatch_; }
  int Channel() const { return channel_; }
  const std::string& Command() const { return command_; }
  int PatternCount() const { return static_cast<int>(patterns_.size()); }
  int LineCount(int pattern) const;
  StateMachine* Machine() const { return machine_; }
  // Only a chain's root, or an unchained expect, is offered lines.
  bool IsChainChild() const { return root_ != nullptr && root_ != this; }
  int ChainPosition() const { return chainPosition_; }

 private:
  struct CompiledPattern {
    ExpectPattern source;
    regex_t test{};     // no captures: the fast yes/no
    regex_t capture{};  // with the groups, run only on a match
    bool compiled = false;
    std::string prefix;  // the literal start an anchored pattern needs
    std::array<std::string, kKeptLines> lines;
    int first = 0;
    int count = 0;
  };

  bool Build();
  void FreePatterns();
  void Compile(const std::vector<ExpectPattern>& patterns);
  bool ChannelPasses(int matchChannel, int lineChannel) const;
  void Keep(CompiledPattern& pattern, const char* line, int length);
  void Prepare();
  void Unlink();
  int StartState(MachineState& state);
  int RetryState(MachineState& state);
  int WaitState(MachineState& state);
  int DoneState(MachineState& state);

  ExpectList& list_;
  bool active_ = false;
  StateMachine* machine_ = nullptr;
  MachineEvent* matchedEvent_ = nullptr;
  MachineEvent* timeoutEvent_ = nullptr;
  int64_t timeLeftAtMatch_ = 0;
  Expect* root_ = nullptr;
  Expect* next_ = nullptr;
  int chainPosition_ = 0;
  int depth_ = 0;
  std::string command_;
  int channel_ = 0;
  int matchChannel_ = kMatchCommandChannel;
  int* resultSlot_ = nullptr;
  int timeoutMs_ = 0;
  int attempts_ = 0;
  int attemptsLeft_ = 0;
  bool matched_ = false;
  DoneCallback onDone_;
  std::vector<std::unique_ptr<CompiledPattern>> patterns_;
  int matchedIndex_ = -1;
  std::array<std::string, kSubMatches> subMatches_;
  MachineEvent* noMatchEvent_ = nullptr;
  // Cleared on destruction, so a done callback that destroys its expect
  // leaves the rest of the done state untouched.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Where an expect sends its command and reports its failures.
class ExpectPort {
 public:
  virtual ~ExpectPort() = default;
  virtual bool SendExpectCommand(int channel, std::string_view text) = 0;
  virtual void ShowExpectMessage(std::string_view text) = 0;
};

// The program's port: the raw send of the command sender, messages
// to the comms memo (a window may put a message box in front).
class CommandExpectPort final : public ExpectPort {
 public:
  CommandExpectPort(ReaderCommandSender& commands, StatusReporter& status)
      : commands_(commands), status_(status) {}
  bool SendExpectCommand(int channel, std::string_view text) override;
  void ShowExpectMessage(std::string_view text) override;

 private:
  ReaderCommandSender& commands_;
  StatusReporter& status_;
};

// Every expect of the program; each received line is offered to the active
// ones. Owned by the application context, watching the dispatcher.
class ExpectList final : public MessageObserver {
 public:
  ExpectList(MachineRegistry& machines, ExpectPort* port) : machines_(machines), port_(port) {}
  ExpectList(const ExpectList&) = delete;
  ExpectList& operator=(const ExpectList&) = delete;

  void SetPort(ExpectPort* port) { port_ = port; }
  // Offers the line to every active expect that is not a chain's later
  // element (the root hands lines down its chain itself).
  void OfferLine(int channel, const char* line, int length);
  void ObserveMessage(int channel, const char* text, int length) override;
  int Count() const { return static_cast<int>(expects_.size()); }

  MachineRegistry& machines() { return machines_; }
  bool Send(int channel, std::string_view text);
  void Show(std::string_view text);

 private:
  friend class Expect;
  void Add(Expect* expect) { expects_.push_back(expect); }
  void Remove(Expect* expect);

  MachineRegistry& machines_;
  ExpectPort* port_;
  std::vector<Expect*> expects_;
  std::string scratch_;
};

}  // namespace corvalis
