#pragma once

#include <string>
#include <vector>

#include "protocol/CommandHooks.h"

namespace corvalis {

class ReaderCommandSender;

// Sends a list of bodies one after another, each only once the reader has
// answered the one before. It never waits in a nested event loop: the reply
// arrives through the sender's routes and the next body goes out on the next
// 100 ms tick, so timers, scripts and machines keep running in between.
class CommandSequence final : public ReplyRoute {
 public:
  enum class State { kIdle, kRunning, kDone, kErrorReply, kTimedOut, kNotSent };

  explicit CommandSequence(ReaderCommandSender& sender);
  ~CommandSequence() override;
  CommandSequence(const CommandSequence&) = delete;
  CommandSequence& operator=(const CommandSequence&) = delete;

  // Starts sending `bodies` to `channel` (0..4) and `readerId`; the first goes
  // out at once. False (nothing sent) while another sequence runs or when
  // the list is empty.
  bool Start(int channel, int readerId, std::vector<std::string> bodies);
  // One 100 ms tick, after the sender's own tick.
  void Tick();
  // Stops without sending anything more.
  void Cancel();

  bool Running() const { return state_ == State::kRunning; }
  State GetState() const { return state_; }
  // How the last sequence ended, for the status bar.
  const std::string& StatusText() const { return statusText_; }
  // Upper bound, in ticks, on one step's wait in case no time-out comes.
  static constexpr int kStepTickLimit = 40;

  void TakeReply(const ReplyView& reply) override;

 private:
  void SendCurrent();
  void Finish(State state, std::string text);
  void RouteCode(int code);
  void UnrouteCode();

  ReaderCommandSender& sender_;
  std::vector<std::string> bodies_;
  size_t next_ = 0;  // the body awaiting its reply is bodies_[next_]
  int channel_ = 0;
  int readerId_ = 0;
  int routedCode_ = -1;
  bool replied_ = false;
  int stepTicks_ = 0;
  State state_ = State::kIdle;
  std::string statusText_;
};

// The reply code a body's answer carries: the command code, or for a
// read-back ("ff" + code) the code read back. -1 when the body is too short.
int ReplyCodeOf(const std::string& body);

}  // namespace corvalis
