// Replies, time-outs, waits and the lines the receive side offers.
#include <cstring>

#include "script/MachineRegistry.h"
#include "script/ScriptInterpreter.h"
#include "script/ScriptReplyVariables.h"

namespace corvalis {
namespace {

constexpr size_t kShownChars = 48;

std::string_view Shown(std::string_view line) {
  const size_t end = line.find_first_of("\r\n");
  return line.substr(0, std::min(end, kShownChars));
}

const char* ErrorName(char code) {
  switch (code) {
    case '0':
      return "Bad packet length";
    case '1':
      return "Bad LRC";
    case '2':
      return "Bad Command";
    case '3':
      return "Bad Reader ID";
    case '4':
      return "Unsupported command";
    case '5':
      return "Unsupported sub-command";
    default:
      return "??? unknown error code";
  }
}

}  // namespace

void ScriptInterpreter::ObserveMessage(int channel, const char* text, int length) {
  WatchLine(channel, text, length);
  if (replyCapture_ && channel == channel_) OnScriptReply(text, length);
  if (length < 8 || text[0] != 'a' || text[1] != 'b') return;
  const std::string_view line(text, static_cast<size_t>(length));
  StoreStatsReply(line, variables_.values);
  if (channel == channel_ && IsFailedReadReport(line)) OnScriptBadRead();
}

void ScriptInterpreter::WatchLine(int channel, const char* line, int length) {
  if (length < 0) return;
  if (line[length] == '\0') {
    watches_.WatchLine(channel, line);
  } else {
    const std::string copy(line, static_cast<size_t>(length));
    watches_.WatchLine(channel, copy.c_str());
  }
}

void ScriptInterpreter::WatchMatched(int, int channel, std::string_view line) {
  if (machines_ != nullptr) machines_->MarkChanged();
  Message(std::to_string(channel + 1) + " " + std::string(line));
}

bool ScriptInterpreter::ReplyMatchesPending(const char* line, int length, int* abOffset) const {
  const std::string_view reply(line, static_cast<size_t>(length));
  const std::string_view pending(pending_);
  *abOffset = 0;
  if (reply.size() >= 8 && reply.substr(0, 2) == "ab") {
    return reply[6] == 'f' || (pending.size() >= 8 && reply.substr(6, 2) == pending.substr(6, 2));
  }
  if (reply.size() >= 7 && reply[0] == 'c' && pending.size() >= 8 &&
      reply.substr(0, 7) == pending.substr(1, 7)) {
    // A relayed reply: the "ab" reply inside it is the one examined.
    const size_t inner = reply.find("ab", 7);
    if (inner != std::string_view::npos && reply.size() - inner >= 8)
      *abOffset = static_cast<int>(inner);
    return true;
  }
  return false;
}

void ScriptInterpreter::OnScriptReply(const char* line, int length) {
  if (pending_.empty() || length <= 0) return;
  int offset = 0;
  if (!ReplyMatchesPending(line, length, &offset)) return;
  const std::string_view whole(line, static_cast<size_t>(length));
  const std::string_view reply = whole.substr(static_cast<size_t>(offset));
  const bool isAb = reply.size() >= 8 && reply.substr(0, 2) == "ab";
  const std::string_view code = isAb ? reply.substr(6, 2) : std::string_view();
  const bool errorReply = isAb && reply.substr(4, 2) == "00" && code[0] == 'f';

  std::string shown;
  if (!(waitingData_ && code == "26")) {
    shown.append(Shown(pending_));
    shown += " | ";
  }
  shown.append(Shown(whole));
  if (errorReply) {
    shown += " ! ";
    shown += ErrorName(code[1]);
  }
  shown += "\r\n";
  output_.ScriptTrace(shown);

  // A data reply is only shown: the command's own reply (or its time-out)
  // still ends the wait, so the script is never left without a wake-up.
  if (isAb && (reply.substr(4, 4) == "0f26" || reply.substr(4, 4) == "1026")) return;

  if (errorReply) {
    ++errors_;
    Message(ErrorName(code[1]));
  } else {
    Message("OK");
  }
  pending_.clear();
  singleStep_ = false;
  NamedValues& v = variables_.values;
  v.gotReply = true;
  v.resentCount = resendCount_;
  v.retVal = 0;
  const size_t ab = whole.find("ab");
  v.retString.assign(ab == std::string_view::npos ? whole : whole.substr(ab));
  resendCount_ = 0;
  replyTicks_ = 0;
  if (errorReply && stopOnError_) {
    StopScript();
    return;
  }
  if (running_) RunScriptStep();
}

void ScriptInterpreter::ScriptTick() {
  if (continueOnTick_) {
    continueOnTick_ = false;
    RunScriptStep();
  }
  if (waitTicks_ > 0) {
    if (--waitTicks_ == 0) WaitEnded();
  } else if (replyTicks_ > 0) {
    if (--replyTicks_ == 0) ReplyTimedOut();
  } else if (running_ && pending_.empty() && !inStep_) {
    // Nothing to wait for: a step that ended without sending (a refused
    // statement, a button whose tab is missing) continues here.
    RunScriptStep();
  }
  output_.ScriptStateChanged();
}

void ScriptInterpreter::WaitEnded() {
  if (waitingData_) {
    waitingData_ = false;
    capture_.pagesExpected = 0;
  }
  waitingTagId_ = false;
  pending_.clear();
  if (singleStep_) {
    singleStep_ = false;
    return;
  }
  if (running_) RunScriptStep();
}

void ScriptInterpreter::ReplyTimedOut() {
  std::string shown(Shown(pending_));
  shown += " | ";
  if (!expectReplies_) {
    output_.ScriptTrace(std::string(Shown(pending_)) + "\r\n");
    pending_.clear();
    if (running_) RunScriptStep();
    return;
  }
  ++timeouts_;
  ++resendCount_;
  if (resendCount_ <= retryLimit_) {
    output_.ScriptTrace(shown + "Timed out\r\n");
    RunScriptStep();
    return;
  }
  ++errors_;
  output_.ScriptTrace(shown + "Failed\r\n");
  pending_.clear();
  NamedValues& v = variables_.values;
  v.resentCount = resendCount_;
  v.retVal = -1;
  v.retString.clear();
  resendCount_ = 0;
  if (stopOnError_) {
    Message("Too Many Retries - Aborting");
    StopScript();
    return;
  }
  Message("Too Many Retries - Moving on");
  if (singleStep_) {
    singleStep_ = false;
    return;
  }
  if (running_) RunScriptStep();
}

void ScriptInterpreter::OnScriptTagID(std::string_view id) {
  if (!waitingTagId_) return;
  capture_.lastTagSeen.assign(id.substr(0, 16));
  variables_.values.gotTagId = true;
  waitingTagId_ = false;
  waitTicks_ = 0;
  WaitEnded();
}

void ScriptInterpreter::OnScriptDataPage(int page, std::string_view text, bool good) {
  if (page < 0 || page >= kDataPages) return;
  ScriptCapture::Page& captured = capture_.pages[static_cast<size_t>(page)];
  const std::string_view data = text.substr(0, 16);
  if (!good) {
    captured.lastBad.assign(data);
    ++captured.badCount;
    return;
  }
  captured.lastGood.assign(data);
  captured.seen = true;
  ++captured.goodCount;
  variables_.values.gotData = true;
  variables_.values.gotDataPage[static_cast<size_t>(page)] = true;
  if (!waitingData_) return;
  if (--capture_.pagesExpected <= 0) {
    capture_.lastDataSeen.assign(data);
    waitingData_ = false;
    waitTicks_ = 0;
    WaitEnded();
  }
}

void ScriptInterpreter::OnScriptBadRead() {
  ++capture_.failedReads;
  if (!waitingData_) return;
  waitingData_ = false;
  waitTicks_ = 0;
  WaitEnded();
}

}  // namespace corvalis
