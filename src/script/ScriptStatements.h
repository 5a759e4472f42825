#pragma once

#include <span>
#include <string_view>

namespace corvalis {

// What a statement row does; kNone rows are handled by the line itself
// (labels, control words, built and raw commands).
enum class StatementAction : unsigned char {
  kNone,
  kLogMessage,
  kOpenLog,
  kAppendLog,
  kCloseLog,
  kGetYesNo,
  kGetInput,
  kMessage,
  kTestOpen,
  kOpenChannel,
  kCloseChannel,
  kSetChannel,
  kSetReaderId,
  kSetBaudRate,
  kSetPort,
  kSetPortByIndex,
  kRetry,
  kTimeout,
  kReply,
  kWait,
  kWaitData,
  kWaitTagId,
  kClearData,
  kClearTag,
  kTab,
  kTabPress,
  kSetTagIdToLastSeen,
  kRecordInput,
  kStopRecord,
  kSetExpect,
  kClearExpect,
  kClearExpectStrings,
  kUpdateDisplay,
  kPush,
  kSet,
  kInc,
  kDec,
  kIf,
  kIfNot,
  kIfEqual,
  kIfNotEqual,
  kIfContains,
  kIfNotContains,
  kIfCompare,
  kIfMatch,
  kIfNotMatch,
  kSimInput,
};

struct StatementRow {
  const char* name;
  StatementAction action;
  bool endsStep;
  const char* caption;  // insert-menu caption; nullptr: not in the menu
  const char* example;  // argument example inserted after the name
  const char* description;
};

// The 91 rows in table order.
std::span<const StatementRow> StatementTable();

// The row the command word selects: an exact (case-insensitive) name with an
// action, else the only row with an action that the word begins. `candidates`
// gets the number of rows with an action that the word begins.
const StatementRow* FindStatement(std::string_view word, int* candidates);

}  // namespace corvalis
