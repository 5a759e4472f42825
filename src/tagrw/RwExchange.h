#pragma once

#include <string>
#include <vector>

#include "common/StatusReporter.h"
#include "control/CommandWord.h"
#include "protocol/ReaderCommandSender.h"
#include "script/Expect.h"

namespace corvalis {

enum class ExchangeKind : int { kRead = 0, kWrite = 1, kOther = 2 };

// Every reply an exchange waits for gets this long per attempt: the
// controller acknowledges within a few tens of milliseconds and a tag
// transaction takes a few hundred, so a second is ample without making a
// missing tag slow to report.
inline constexpr int kExchangeTimeoutMs = 1000;
inline constexpr int kExchangeAttempts = 2;
inline constexpr int kNoReplyCode = 0x5001;

struct ExchangeRequest {
  int channel = 0;
  int readerId = 0;
  int page = 0;
  std::string data;         // 16 hex digits: written, or expected back
  std::string tagId;        // 12 digits (first generation) or 16 (second)
  bool anyChannel = false;  // "Test Bed": replies may come on any channel
};

struct ExchangeOutcome {
  bool ok = false;
  std::string line;  // the tag's data line of a read or suspend
  int errorCode = 0;
};

// One of the three command-and-reply exchanges (read, write, other) of one
// controller generation, as a state machine whose states each wait on one
// expect (or a chain of two).
class ExchangeMachine {
 public:
  // `sequence`: the transmit numbering shared with the other consoles.
  ExchangeMachine(ExpectList& expects, ReaderCommandSender& commands, StatusReporter& status,
                  TransmitSequence& sequence, ExchangeKind kind, bool secondGeneration);
  ~ExchangeMachine();
  ExchangeMachine(const ExchangeMachine&) = delete;
  ExchangeMachine& operator=(const ExchangeMachine&) = delete;

  void Begin(const ExchangeRequest& request);
  // Ended since the last Begin; the outcome is then final.
  bool Finished() const;
  const ExchangeOutcome& Outcome() const { return outcome_; }
  StateMachine& Machine() { return machine_; }
  ExchangeKind Kind() const { return kind_; }
  const std::vector<std::string>& StateNames() const { return names_; }

 private:
  struct Stage {
    std::string line;
    std::vector<std::vector<std::string>> elements;  // alternatives per chain element
    const char* failure = "";
  };
  void Build();
  void Plan(const ExchangeRequest& request);
  std::string Framed(int readerId, const std::string& body);
  int RunStage(MachineState& state, size_t stage);
  std::vector<ExpectPattern> Patterns(const std::vector<std::string>& texts) const;

  ExpectList& expects_;
  ReaderCommandSender& commands_;
  StatusReporter& status_;
  TransmitSequence& sequence_;
  ExchangeKind kind_;
  bool secondGen_;
  StateMachine& machine_;
  std::vector<std::string> names_;
  MachineEvent* done_ = nullptr;   // "ReadExpectDone" / "ExpectDone"
  MachineEvent* done2_ = nullptr;  // "ReadExpectDone2"
  Expect root_;
  Expect child_;
  int rootResult_ = -1;
  int childResult_ = -1;
  std::vector<Stage> stages_;
  ExchangeRequest request_;
  ExchangeOutcome outcome_;
  bool begun_ = false;
};

// The 16 data digits of a tag's data line: a second-generation "ad" line
// holds them at its end, a bare page line is them.
std::string PageDataOf(std::string_view line);

}  // namespace corvalis
