#include "control/CommandSequence.h"

#include <utility>

#include "protocol/Hex.h"
#include "protocol/ReaderCommandSender.h"

namespace corvalis {

namespace {
constexpr int kFirstErrorCode = 240;
constexpr int kLastErrorCode = 247;
}  // namespace

int ReplyCodeOf(const std::string& body) {
  if (body.size() < 4) return -1;
  uint8_t length = 0;
  uint8_t code = 0;
  if (!ReadHexByte(body.data(), length) || !ReadHexByte(body.data() + 2, code)) return -1;
  // A read-back ("ff" + code) is answered with the code it reads back.
  return code;
}

CommandSequence::CommandSequence(ReaderCommandSender& sender) : sender_(sender) {
  for (int code = kFirstErrorCode; code <= kLastErrorCode; ++code) {
    if (ErrorReplyText(code) != nullptr) sender_.AddReplyRoute(code, this);
  }
}

CommandSequence::~CommandSequence() {
  UnrouteCode();
  for (int code = kFirstErrorCode; code <= kLastErrorCode; ++code) {
    if (ErrorReplyText(code) != nullptr) sender_.RemoveReplyRoute(code, this);
  }
}

bool CommandSequence::Start(int channel, int readerId, std::vector<std::string> bodies) {
  if (Running() || bodies.empty()) return false;
  bodies_ = std::move(bodies);
  next_ = 0;
  channel_ = channel;
  readerId_ = readerId;
  state_ = State::kRunning;
  statusText_.clear();
  SendCurrent();
  return true;
}

void CommandSequence::SendCurrent() {
  const std::string& body = bodies_[next_];
  const int code = ReplyCodeOf(body);
  if (code < 0) {
    Finish(State::kNotSent, "Malformed command " + body);
    return;
  }
  RouteCode(code);
  replied_ = false;
  stepTicks_ = 0;
  sender_.SendCommand(channel_, readerId_, std::string_view(body));
  // A closed channel or a refused line arms no wait: nothing went out.
  if (!sender_.Awaiting() && !replied_) Finish(State::kNotSent, "Not sent: " + body);
}

void CommandSequence::TakeReply(const ReplyView& reply) {
  if (!Running() || reply.channel != channel_) return;
  if (readerId_ != 0 && reply.readerId != readerId_) return;
  if (ErrorReplyText(reply.code) != nullptr) {
    Finish(State::kErrorReply, "Sequence stopped: " + std::string(ErrorReplyText(reply.code)) +
                                   " after " + bodies_[next_]);
    return;
  }
  if (reply.code == routedCode_) replied_ = true;
}

void CommandSequence::Tick() {
  if (!Running()) return;
  if (replied_) {
    if (++next_ >= bodies_.size()) {
      Finish(State::kDone, "Sequence done");
      return;
    }
    SendCurrent();
    return;
  }
  if (!sender_.Awaiting() || ++stepTicks_ > kStepTickLimit) {
    Finish(State::kTimedOut, "Sequence stopped: no reply to " + bodies_[next_]);
  }
}

void CommandSequence::Cancel() {
  if (Running()) Finish(State::kIdle, "Sequence cancelled");
}

void CommandSequence::Finish(State state, std::string text) {
  UnrouteCode();
  state_ = state;
  statusText_ = std::move(text);
}

void CommandSequence::RouteCode(int code) {
  if (code == routedCode_) return;
  UnrouteCode();
  // Error codes are routed to us for the whole of our life already.
  if (ErrorReplyText(code) != nullptr) return;
  sender_.AddReplyRoute(code, this);
  routedCode_ = code;
}

void CommandSequence::UnrouteCode() {
  if (routedCode_ >= 0) sender_.RemoveReplyRoute(routedCode_, this);
  routedCode_ = -1;
}

}  // namespace corvalis
