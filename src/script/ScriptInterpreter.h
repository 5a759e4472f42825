#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/Clock.h"
#include "protocol/MessageDispatcher.h"
#include "script/LineWatchTable.h"
#include "script/ScriptCapture.h"
#include "script/ScriptHost.h"
#include "script/ScriptMacros.h"
#include "script/ScriptSource.h"
#include "script/ScriptStatements.h"
#include "script/ScriptTestLog.h"
#include "script/ScriptVariables.h"

namespace corvalis {

class MachineRegistry;

inline constexpr int kMaxLabels = 1000;
inline constexpr int kLabelNameMax = 100;
inline constexpr int kSubroutineDepth = 15;
inline constexpr int kDefaultReplyTimeout = 4;
inline constexpr int kDefaultRetryLimit = 4;
// Lines one step may run without sending or waiting; a loop that does
// nothing else yields to the next tick instead of freezing the program.
inline constexpr int kLinesPerStep = 100000;

// Runs one test script at a time on one reader channel: fetches lines from
// the memo or a file, executes statements, sends commands and waits for
// their replies, resending those that do not come.
class ScriptInterpreter final : public MessageObserver, private LineWatchListener {
 public:
  ScriptInterpreter(const Clock& clock, ScriptOutput& output, ScriptChannels& channels);
  ~ScriptInterpreter() override;
  ScriptInterpreter(const ScriptInterpreter&) = delete;
  ScriptInterpreter& operator=(const ScriptInterpreter&) = delete;

  void SetTabs(ScriptTabs* tabs);
  void SetMachines(MachineRegistry* machines) { machines_ = machines; }

  ScriptSource& Source() { return source_; }
  ScriptVariables& Variables() { return variables_; }
  ScriptCapture& Capture() { return capture_; }
  LineWatchTable& Watches() { return watches_; }
  ScriptTestLog& TestLog() { return testLog_; }
  const ScriptMacros& Macros() const { return macros_; }

  // The script tab's controls.
  void SetChannel(int channel);  // 0..4
  int Channel() const { return channel_; }
  void SetReaderId(int readerId) { readerId_ = readerId & 0xFF; }
  int ReaderId() const { return readerId_; }
  void SetRetryLimit(int limit) { retryLimit_ = limit < 0 ? 0 : limit; }
  int RetryLimit() const { return retryLimit_; }
  void SetStopOnError(bool on) { stopOnError_ = on; }
  void SetSyntaxCheckOnly(bool on) { syntaxCheckOnly_ = on; }
  // Lines one step may run before it yields to the next tick.
  void SetLinesPerStep(int lines) { linesPerStep_ = lines > 0 ? lines : 1; }

  // The buttons and the tab's 100 ms timer.
  void StartStopScript();
  void StepScript();
  void RewindScript();
  void ResendLine();
  void ScriptTick();
  void ClearScriptStatus();
  void StopScript();
  // The Done button: replies are no longer captured.
  void SetReplyCapture(bool on) { replyCapture_ = on; }

  // The receive side.
  void OnScriptReply(const char* line, int length);
  void OnScriptTagID(std::string_view id);
  void OnScriptDataPage(int page, std::string_view text, bool good);
  void OnScriptBadRead();
  // Every received line: the watch table, then the script's reply.
  void WatchLine(int channel, const char* line, int length);
  void ObserveMessage(int channel, const char* text, int length) override;
  // Raw received bytes, for RecordInput.
  void RecordReceived(int channel, const char* bytes, int count) {
    capture_.Record(channel, bytes, count);
  }

  // Builds a command from `body` with the script's reader ID, makes it the
  // pending line and sends it (for buttons pressed by a statement).
  void SendTracked(std::string_view body);

  // State for the tab and the tests.
  bool Running() const { return running_; }
  bool SingleStepping() const { return singleStep_; }
  bool PressInProgress() const { return pressPending_; }
  const std::string& PendingLine() const { return pending_; }
  int WaitTicks() const { return waitTicks_; }
  int ReplyTicks() const { return replyTicks_; }
  int ReplyTimeout() const { return replyTimeout_; }
  bool ExpectReplies() const { return expectReplies_; }
  int LinesSent() const { return linesSent_; }
  int Timeouts() const { return timeouts_; }
  int Errors() const { return errors_; }
  int ResendCount() const { return resendCount_; }
  int DisplayCounter() const { return displayCounter_; }
  const std::string& LastSent() const { return lastSent_; }
  uint64_t LinesExecuted() const { return linesExecuted_; }
  // True once the run ended on an error (missing label, stack limits).
  bool EndedOnError() const { return endedOnError_; }

  // One step: runs lines until one sends or waits. A sent line's reply wait
  // is armed with the reply timeout in force when it is sent (a `timeout`
  // earlier in the same step counts).
  void RunScriptStep();

 private:
  struct StepResult {
    bool endsStep = false;
    bool send = false;     // line_ holds a line to send
    bool rawText = false;  // SendText: no CR LF added
    bool waiting = false;  // a wait was started
    bool pressed = false;  // a button press sends its own command
  };
  struct Label {
    char name[kLabelNameMax] = {};
    long position = 0;
  };

  void StepOnce();
  bool FetchNextLine(std::string& line, long* start);
  void EndOfSource();
  void EndRun();
  static void TranslateEscapes(std::string& line);
  StepResult ExecuteLine(std::string& text, long lineStart);
  StepResult RunStatement(const StatementRow& row, std::string_view args, bool hasNumber,
                          long long number, std::string& reparse);
  void SendPending();
  void SyntaxBox(std::string_view message, std::string_view line);
  void Message(std::string_view text);

  // Flow (ScriptFlow.cpp).
  void RecordLabel(std::string_view name, long position);
  const Label* FindLabel(std::string_view name) const;
  void GoToLabel(std::string_view name);
  bool GoSub(std::string_view name, std::string_view line);
  bool Return(std::string_view line);
  void StopStatement();
  void ClearLabels() { labelCount_ = 0; }

  // Statements (ScriptConditions.cpp, ScriptStatementActions.cpp).
  bool Condition(StatementAction action, std::string_view args, std::string& reparse);
  void SetStatement(std::string_view args);
  void IncDecStatement(std::string_view args, bool increment);
  bool FixAbLine(std::string& line);
  int ChannelArgument(bool hasNumber, long long number) const;
  void SetExpectStatement(std::string_view args);

  // Replies (ScriptReplies.cpp).
  bool ReplyMatchesPending(const char* line, int length, int* abOffset) const;
  void ReplyTimedOut();
  void WaitEnded();
  void WatchMatched(int index, int channel, std::string_view line) override;

  const Clock& clock_;
  ScriptOutput& output_;
  ScriptChannels& channels_;
  ScriptTabs defaultTabs_;
  ScriptTabs* tabs_ = &defaultTabs_;
  MachineRegistry* machines_ = nullptr;

  ScriptSource source_;
  ScriptVariables variables_;
  ScriptCapture capture_;
  LineWatchTable watches_;
  ScriptMacros macros_;
  ScriptTestLog testLog_;

  std::string pending_;  // the line being executed or waiting to be sent
  std::string line_;     // scratch: the line a statement produced
  // Buffers reused from line to line.
  std::string fetched_;
  std::string expanded_;
  std::string reparse_;
  int channel_ = 0;
  int readerId_ = 0;
  std::array<Label, kMaxLabels> labels_;
  int labelCount_ = 0;
  std::array<long, kSubroutineDepth> stack_{};
  int stackDepth_ = 0;
  bool skipMode_ = false;
  std::string gotoTarget_;

  bool running_ = false;
  bool singleStep_ = false;
  bool inStep_ = false;
  bool stepRequested_ = false;
  bool continueOnTick_ = false;
  bool pressPending_ = false;
  bool waitingTagId_ = false;
  bool waitingData_ = false;
  int waitTicks_ = 0;
  int replyTicks_ = 0;
  int replyTimeout_ = kDefaultReplyTimeout;
  bool expectReplies_ = true;
  int retryLimit_ = kDefaultRetryLimit;
  int resendCount_ = 0;
  int linesSent_ = 0;
  int timeouts_ = 0;
  int errors_ = 0;
  int displayCounter_ = 0;
  bool stopOnError_ = false;
  bool syntaxCheckOnly_ = false;
  bool replyCapture_ = false;
  bool endedOnError_ = false;
  std::string lastSent_;
  uint64_t linesExecuted_ = 0;
  int linesPerStep_ = kLinesPerStep;
};

}  // namespace corvalis
