#include "script/ScriptInterpreter.h"

#include <cctype>
#include <cstring>

#include "protocol/Checksums.h"
#include "script/MachineRegistry.h"
#include "script/ScriptCommands.h"

namespace corvalis {
namespace {

constexpr size_t kExecutedLineMax = 1000;
constexpr size_t kBoxLineMax = 84;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

ScriptInterpreter::ScriptInterpreter(const Clock& clock, ScriptOutput& output,
                                     ScriptChannels& channels)
    : clock_(clock),
      output_(output),
      channels_(channels),
      macros_(clock, variables_, capture_, watches_) {
  watches_.SetListener(this);
  macros_.SetTabs(tabs_);
}

ScriptInterpreter::~ScriptInterpreter() {
  watches_.SetListener(nullptr);
}

void ScriptInterpreter::SetTabs(ScriptTabs* tabs) {
  tabs_ = tabs != nullptr ? tabs : &defaultTabs_;
  macros_.SetTabs(tabs_);
}

void ScriptInterpreter::SetChannel(int channel) {
  if (channel < 0 || channel > 4) return;
  channel_ = channel;
  macros_.SetScriptChannel(channel);
}

void ScriptInterpreter::StartStopScript() {
  if (running_) {
    StopScript();
    return;
  }
  ClearLabels();
  endedOnError_ = false;
  if (!source_.UsesMemo() && !source_.FileOpen()) {
    if (source_.FilePath().empty() || !source_.OpenFile(source_.FilePath())) {
      output_.ShowBox("File Open Error", "Unable to open file for reading");
      output_.ScriptStateChanged();
      return;
    }
  }
  running_ = true;
  output_.ScriptStateChanged();
  RunScriptStep();
}

void ScriptInterpreter::StepScript() {
  if (singleStep_) {
    // Pressed again while its step is outstanding: the step is cancelled.
    singleStep_ = false;
    pending_.clear();
    replyTicks_ = 0;
    waitTicks_ = 0;
    output_.ScriptStateChanged();
    return;
  }
  if (!source_.UsesMemo() && !source_.FileOpen()) {
    if (source_.FilePath().empty() || !source_.OpenFile(source_.FilePath())) {
      output_.ShowBox("File Open Error", "Unable to open file for reading");
      return;
    }
  }
  singleStep_ = true;
  RunScriptStep();
}

void ScriptInterpreter::StopScript() {
  running_ = false;
  singleStep_ = false;
  replyCapture_ = false;
  waitTicks_ = 0;
  replyTicks_ = 0;
  waitingData_ = false;
  waitingTagId_ = false;
  continueOnTick_ = false;
  pending_.clear();
  output_.ScriptStateChanged();
}

void ScriptInterpreter::RewindScript() {
  stackDepth_ = 0;
  ClearLabels();
  skipMode_ = false;
  source_.Rewind();
  output_.ScriptStateChanged();
}

void ScriptInterpreter::ResendLine() {
  resendCount_ = 0;
  RunScriptStep();
}

void ScriptInterpreter::ClearScriptStatus() {
  linesSent_ = 0;
  timeouts_ = 0;
  errors_ = 0;
  output_.ScriptStateChanged();
}

void ScriptInterpreter::RunScriptStep() {
  if (inStep_) {
    // A reply or tick that arrives inside a step is not lost: the step runs
    // again once the current one has finished.
    stepRequested_ = true;
    return;
  }
  inStep_ = true;
  replyCapture_ = true;
  StepOnce();
  while (stepRequested_) {
    stepRequested_ = false;
    if (!running_ && !singleStep_) break;
    if (waitTicks_ > 0 || replyTicks_ > 0) break;
    StepOnce();
  }
  stepRequested_ = false;
  inStep_ = false;
  output_.ScriptStateChanged();
}

void ScriptInterpreter::StepOnce() {
  if (pending_.empty()) {
    int budget = linesPerStep_;
    std::string& line = fetched_;
    for (;;) {
      if (!running_ && !singleStep_) return;
      if (budget-- == 0) {
        continueOnTick_ = true;
        return;
      }
      long start = 0;
      if (!FetchNextLine(line, &start)) {
        EndOfSource();
        return;
      }
      TranslateEscapes(line);
      if (line.empty() || line[0] == '\r') continue;
      ++linesExecuted_;
      StepResult result = ExecuteLine(line, start);
      if (result.send && !result.rawText) {
        while (!line_.empty() && (line_.back() == '\n' || line_.back() == '\r')) line_.pop_back();
        line_ += "\r\n";
      }
      if (skipMode_) continue;
      if (result.endsStep && !running_ && !singleStep_) return;
      if (syntaxCheckOnly_ && (result.send || result.pressed)) {
        pending_.clear();
        continue;
      }
      if (result.send && waitTicks_ == 0) pending_ = line_;
      if (result.pressed) {
        // The button sent its own command through SendTracked; its reply is
        // awaited like that of a script line.
        replyTicks_ = replyTimeout_ > 0 ? replyTimeout_ : 1;
        variables_.values.gotReply = false;
        return;
      }
      if (result.endsStep) break;
    }
  }
  if (waitTicks_ == 0 && !pending_.empty()) {
    SendPending();
  } else if (singleStep_ && waitTicks_ == 0) {
    singleStep_ = false;
  }
}

bool ScriptInterpreter::FetchNextLine(std::string& line, long* start) {
  return source_.Fetch(line, start);
}

void ScriptInterpreter::EndOfSource() {
  const bool wasSkipping = skipMode_;
  StopScript();
  stackDepth_ = 0;
  skipMode_ = false;
  if (source_.UsesMemo()) {
    source_.Rewind();
  } else {
    source_.CloseFile();
  }
  if (wasSkipping) {
    endedOnError_ = true;
    output_.ShowBox("GoTo Error", "GoTo target \"" + gotoTarget_ + "\" not found");
  }
}

void ScriptInterpreter::TranslateEscapes(std::string& line) {
  size_t out = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\\' && i + 1 < line.size()) {
      const char next = line[++i];
      if (next == 'n') {
        c = '\n';
      } else if (next == 'r') {
        c = '\r';
      } else if (next == '\\') {
        c = '\\';
      } else {
        line[out++] = '\\';
        c = next;
      }
    } else if (c == '#') {
      break;
    }
    line[out++] = c;
  }
  line.resize(out);
}

void ScriptInterpreter::SyntaxBox(std::string_view message, std::string_view line) {
  std::string text(message);
  text.append(line.substr(0, kBoxLineMax));
  output_.ShowBox("Syntax Error", text);
}

void ScriptInterpreter::Message(std::string_view text) {
  output_.ScriptMessage(text);
}

ScriptInterpreter::StepResult ScriptInterpreter::ExecuteLine(std::string& text, long lineStart) {
  for (int reparses = 0; reparses < 16; ++reparses) {
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) ++first;
    text.erase(0, first);
    if (text.size() > kExecutedLineMax) text.resize(kExecutedLineMax);
    if (text.empty()) return {};

    if (!skipMode_ && text.find("${") != std::string::npos) {
      std::string error;
      if (macros_.Expand(text, expanded_, error)) {
        text.swap(expanded_);
      } else {
        SyntaxBox(error, text);
      }
    }

    size_t wordEnd = 0;
    while (wordEnd < text.size() && !IsBlank(text[wordEnd]) && text[wordEnd] != '(') ++wordEnd;
    const std::string_view line(text);
    const std::string_view word = line.substr(0, wordEnd);
    size_t argStart = wordEnd;
    while (argStart < line.size() && IsBlank(line[argStart])) ++argStart;
    const std::string_view args = line.substr(argStart);

    if (skipMode_) {
      if (word.size() > 1 && word[0] == ':' &&
          word.substr(1, kLabelNameMax - 1) ==
              std::string_view(gotoTarget_).substr(0, kLabelNameMax - 1)) {
        skipMode_ = false;
        RecordLabel(word.substr(1), lineStart);
      }
      return {};
    }
    if (!word.empty() && word[0] == ':') {
      RecordLabel(word.substr(1), lineStart);
      return {};
    }
    if (!word.empty()) {
      if (StartsWithIgnoreCase("goto", word)) {
        GoToLabel(args);
        return {};
      }
      if (StartsWithIgnoreCase("gosub", word)) {
        GoSub(args, line);
        return {};
      }
      if (StartsWithIgnoreCase("return", word)) {
        Return(line);
        return {};
      }
      if (StartsWithIgnoreCase("stop", word)) {
        StopStatement();
        return {true};
      }
    }

    long long number = 0;
    const bool hasNumber = ParseScriptInteger(args, &number);
    int candidates = 0;
    const StatementRow* row = FindStatement(word, &candidates);
    const bool exact = row != nullptr && EqualsIgnoreCase(row->name, word);
    if (!exact) {
      if (EqualsIgnoreCase(word, "buildcommand")) {
        line_.clear();
        if (!BuildScriptCommand(readerId_, args, line_)) {
          SyntaxBox("Command too long: ", line);
          return {true};
        }
        return {true, true};
      }
      if (EqualsIgnoreCase(word, "sendtext")) {
        line_.assign(args);
        return {true, true, true};
      }
      if (StartsWithIgnoreCase(word, "ac")) {
        line_.assign(line);
        return {true, true};
      }
      if (StartsWithIgnoreCase(word, "ab")) {
        line_.assign(line);
        if (!FixAbLine(line_)) return {true};
        return {true, true};
      }
    }
    if (row == nullptr) {
      if (candidates > 1) {
        Message("Ambiguous command: \"" + std::string(word) + "\"");
      } else {
        SyntaxBox("Unknown Command ", line);
      }
      return {true};
    }
    reparse_.clear();
    StepResult result = RunStatement(*row, args, hasNumber, number, reparse_);
    if (reparse_.empty()) return result;
    text.swap(reparse_);
  }
  return {};
}

bool ScriptInterpreter::FixAbLine(std::string& line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  if (line.size() < 6 || hex(line[4]) < 0 || hex(line[5]) < 0) {
    SyntaxBox("Command has no length field: ", line);
    return false;
  }
  int length = hex(line[4]) * 16 + hex(line[5]);
  if (length == 255) length = 0;
  if (length > 14) length &= 0x0F;
  const size_t summed = 6 + 2 * static_cast<size_t>(length);
  // A line shorter than its length field says is refused rather than summed
  // past its end.
  if (line.size() < 2 + summed) {
    SyntaxBox("Command shorter than its length field: ", line);
    return false;
  }
  char lrc[2];
  FormatLrc(ComputeLrc(line.data() + 2, static_cast<int>(summed)), lrc);
  line.resize(2 + summed);
  line.append(lrc, 2);
  return true;
}

void ScriptInterpreter::SendPending() {
  // Armed before the write: a reply that comes back inside the write finds
  // the wait in place, and a closed channel still times out with a message.
  replyTicks_ = replyTimeout_ > 0 ? replyTimeout_ : 1;
  variables_.values.gotReply = false;
  lastSent_ = pending_;
  if (channels_.IsOpen(channel_)) {
    ++linesSent_;
    channels_.Send(channel_, pending_.data(), static_cast<int>(pending_.size()));
  } else {
    Message("Channel " + std::to_string(channel_ + 1) + " is not open");
  }
}

void ScriptInterpreter::SendTracked(std::string_view body) {
  std::string built;
  if (!BuildScriptCommand(readerId_, body, built)) {
    Message("Command too long");
    return;
  }
  built += "\r\n";
  pending_ = built;
  lastSent_ = built;
  if (channels_.IsOpen(channel_)) {
    ++linesSent_;
    channels_.Send(channel_, built.data(), static_cast<int>(built.size()));
  } else {
    Message("Channel " + std::to_string(channel_ + 1) + " is not open");
  }
}

}  // namespace corvalis
