// The statement table's actions.
#include <algorithm>
#include <array>

#include "script/ScriptCommands.h"
#include "script/ScriptInterpreter.h"

namespace corvalis {
namespace {

constexpr std::array<int, 15> kBaudRates = {110,   300,   600,    1200,   2400,
                                            4800,  9600,  14400,  19200,  38400,
                                            56000, 57600, 115200, 128000, 256000};

constexpr const char* kPushButtons[] = {"SetTime", "TxOn", "TxOff", "MODBUS_Read_ID",
                                        "MODBUS_Read_last_ID"};

std::string Quoted(std::string_view args) {
  return std::string(args) + "\"";
}

}  // namespace

// A missing channel number means the script's channel.
int ScriptInterpreter::ChannelArgument(bool hasNumber, long long number) const {
  return hasNumber ? static_cast<int>(number) : channel_ + 1;
}

ScriptInterpreter::StepResult ScriptInterpreter::RunStatement(const StatementRow& row,
                                                              std::string_view args, bool hasNumber,
                                                              long long number,
                                                              std::string& reparse) {
  using A = StatementAction;
  const long long n = hasNumber ? number : 0;
  switch (row.action) {
    case A::kLogMessage:
      testLog_.Write(args);
      break;
    case A::kOpenLog:
    case A::kAppendLog:
      variables_.values.logIsOpen = testLog_.Open(args, row.action == A::kAppendLog);
      break;
    case A::kCloseLog:
      testLog_.Close();
      variables_.values.logIsOpen = false;
      break;
    case A::kGetYesNo:
      if (auto answer = output_.AskYesNo(args)) variables_.values.yesNo = *answer;
      break;
    case A::kGetInput:
      if (auto answer = output_.AskInput(args)) variables_.values.userString = *answer;
      break;
    case A::kMessage:
      output_.ShowBox("", args);
      break;
    case A::kTestOpen: {
      const int ch = ChannelArgument(hasNumber, number);
      if (ch < 1 || ch > 4)
        output_.ShowBox("Syntax Error", "Illegal channel number: \"" + Quoted(args));
      if (ch >= 1 && ch <= 5) variables_.values.isOpen = channels_.IsOpen(ch - 1);
      break;
    }
    case A::kOpenChannel:
    case A::kCloseChannel: {
      const int ch = ChannelArgument(hasNumber, number);
      if (ch < 1 || ch > 5) {
        output_.ShowBox("Syntax Error", "Illegal channel number: \"" + Quoted(args));
      } else if (row.action == A::kOpenChannel) {
        channels_.Open(ch - 1);
      } else {
        channels_.Close(ch - 1);
      }
      break;
    }
    case A::kSetChannel:
      if (!hasNumber || number < 1 || number > 5) {
        output_.ShowBox("Syntax Error", "Illegal Channel number \"" + Quoted(args));
      } else {
        SetChannel(static_cast<int>(number) - 1);
      }
      break;
    case A::kSetReaderId:
      if (!hasNumber || number < 0 || number > 255) {
        output_.ShowBox("Syntax Error",
                        "The Reader ID must be between 0 and 255 \"" + Quoted(args));
      } else {
        readerId_ = static_cast<int>(number);
      }
      break;
    case A::kSetBaudRate: {
      if (!hasNumber) {
        output_.ShowBox("Syntax Error", "A baud rate is required.\n4800 - 115200");
        break;
      }
      int rate = 0;
      // Small numbers index the list; the index stays inside it.
      if (number >= 0 && number < static_cast<long long>(kBaudRates.size())) {
        rate = kBaudRates[static_cast<size_t>(number)];
      } else {
        for (const int candidate : kBaudRates) {
          if (candidate == number) rate = candidate;
        }
      }
      if (rate == 0) {
        output_.ShowBox("Syntax Error", "Illegal baud rate: \"" + Quoted(args));
        break;
      }
      if (channels_.IsSerial(channel_)) {
        const bool wasOpen = channels_.IsOpen(channel_);
        if (wasOpen) channels_.Close(channel_);
        channels_.SetBaudRate(channel_, rate);
        if (wasOpen) channels_.Open(channel_);
      }
      break;
    }
    case A::kSetPort:
      if (hasNumber) {
        channels_.SetPort(channel_, "com" + std::to_string(number));
      } else {
        channels_.SetPort(channel_, args);
      }
      break;
    case A::kSetPortByIndex:
      if (!hasNumber || !channels_.SetPortByIndex(channel_, static_cast<int>(number)))
        output_.ShowBox("Syntax Error", "Illegal port index: \"" + Quoted(args));
      break;
    case A::kRetry:
      SetRetryLimit(static_cast<int>(std::min<long long>(n, 500)));
      break;
    case A::kTimeout:
      replyTimeout_ = static_cast<int>(std::clamp<long long>(n, 0, 1'000'000));
      break;
    case A::kReply:
      expectReplies_ = hasNumber && number != 0;
      break;
    case A::kWait:
    case A::kWaitData:
    case A::kWaitTagId: {
      const int ticks = static_cast<int>(std::clamp<long long>(n, 0, 100'000'000));
      if (row.action == A::kWaitTagId) {
        variables_.values.gotTagId = false;
        waitingTagId_ = ticks > 0;
      }
      if (row.action == A::kWaitData) {
        capture_.pagesExpected = tabs_->DataPagesExpected();
        waitingData_ = ticks > 0;
      }
      waitTicks_ = ticks;
      if (ticks > 0) pending_.clear();
      return {true, false, false, ticks > 0};
    }
    case A::kClearData:
      capture_.ClearData();
      break;
    case A::kClearTag:
      capture_.lastTagSeen = "0000000000000000";
      break;
    case A::kTab:
    case A::kTabPress:
    case A::kSetTagIdToLastSeen:
    case A::kPush: {
      std::string_view statement = row.name;
      std::string_view tabArgs = args;
      if (row.action == A::kSetTagIdToLastSeen) {
        statement = "RWCmdrSetTagID";
        tabArgs = capture_.lastTagSeen;
      }
      if (row.action == A::kPush) {
        const char* button = nullptr;
        for (const char* candidate : kPushButtons) {
          if (!args.empty() && button == nullptr && StartsWithIgnoreCase(candidate, args))
            button = candidate;
        }
        if (button == nullptr) {
          output_.ShowBox("Syntax Error", "Unknown button name in \"Push\" statement");
          break;
        }
        tabArgs = button;
      }
      const bool press = row.action == A::kTabPress || row.action == A::kPush;
      pressPending_ = press;
      const TabOutcome outcome = tabs_->RunTabStatement(statement, tabArgs);
      pressPending_ = false;
      switch (outcome.kind) {
        case TabOutcome::kDone:
          break;
        case TabOutcome::kPressed:
          return {true, false, false, false, true};
        case TabOutcome::kRefused:
          output_.ShowBox("Syntax Error", outcome.message);
          break;
        case TabOutcome::kNotAvailable:
          Message("\"" + std::string(row.name) +
                  "\" is not available: its tab is not part of this program");
          break;
      }
      break;
    }
    case A::kRecordInput:
    case A::kStopRecord: {
      const int ch = ChannelArgument(hasNumber, number);
      if (ch < 1 || ch > kRecordedChannels) {
        output_.ShowBox("Syntax Error", "Illegal channel number: \"" + Quoted(args));
        break;
      }
      const auto index = static_cast<size_t>(ch - 1);
      capture_.recording[index] = row.action == A::kRecordInput;
      if (row.action == A::kRecordInput) capture_.recorded[index].clear();
      break;
    }
    case A::kSetExpect:
      SetExpectStatement(args);
      break;
    case A::kClearExpect:
      if (capture_.watchBase >= 0) watches_.RemoveWatchesFrom(capture_.watchBase);
      capture_.watchBase = -1;
      capture_.expectSlot.fill(-1);
      break;
    case A::kClearExpectStrings:
      if (hasNumber && number >= 0 && number < kExpectSlots)
        watches_.ClearWatchLines(capture_.expectSlot[static_cast<size_t>(number)]);
      break;
    case A::kUpdateDisplay:
      displayCounter_ = displayCounter_ % 100 + 1;
      break;
    case A::kSet:
      SetStatement(args);
      break;
    case A::kInc:
    case A::kDec:
      IncDecStatement(args, row.action == A::kInc);
      break;
    case A::kIf:
    case A::kIfNot:
    case A::kIfEqual:
    case A::kIfNotEqual:
    case A::kIfContains:
    case A::kIfNotContains:
    case A::kIfCompare:
    case A::kIfMatch:
    case A::kIfNotMatch:
      Condition(row.action, args, reparse);
      break;
    case A::kSimInput: {
      std::string text(args);
      ApplySimulatedLrc(text);
      channels_.SimulateInput(0, text);
      break;
    }
    case A::kNone:
      break;
  }
  return {row.endsStep};
}

void ScriptInterpreter::SetExpectStatement(std::string_view args) {
  size_t i = 0;
  while (i < args.size() && args[i] != ' ' && args[i] != '\t') ++i;
  long long slot = -1;
  const bool hasSlot = ParseScriptInteger(args.substr(0, i), &slot);
  while (i < args.size() && (args[i] == ' ' || args[i] == '\t')) ++i;
  std::string_view pattern = args.substr(i);
  while (!pattern.empty() && (pattern.back() == ' ' || pattern.back() == '\t'))
    pattern.remove_suffix(1);
  if (pattern.size() >= 2 && pattern.front() == '"' && pattern.back() == '"')
    pattern = pattern.substr(1, pattern.size() - 2);
  if (!hasSlot || slot < 0 || slot >= kExpectSlots || pattern.empty()) {
    output_.ShowBox("Syntax Error",
                    "Syntax error in SetExpect statement\r\n  \"SetExpect " + std::string(args) +
                        "\"\r\n  The slot is a number from 0 to 9 and the pattern a regular "
                        "expression");
    return;
  }
  pattern = pattern.substr(0, 999);
  if (capture_.watchBase < 0) capture_.watchBase = watches_.WatchTableSize();
  int& entry = capture_.expectSlot[static_cast<size_t>(slot)];
  std::string error;
  // A slot set again keeps its entry, so a loop that re-arms its patterns
  // never fills the table.
  if (entry >= capture_.watchBase && entry < watches_.WatchTableSize()) {
    if (!watches_.ReplaceWatch(entry, channel_, pattern, &error)) Message(error);
    return;
  }
  entry = watches_.AddWatch(channel_, pattern, this, &error);
  if (entry < 0) Message(error);
}

}  // namespace corvalis
