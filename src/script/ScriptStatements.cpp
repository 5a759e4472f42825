#include "script/ScriptStatements.h"

#include <array>
#include <vector>

#include "script/ScriptVariables.h"

namespace corvalis {
namespace {

using A = StatementAction;

constexpr StatementRow kRows[] = {
    {":", A::kNone, true, "Label", "x", "A label that goto and gosub jump to"},
    {"goto", A::kNone, true, "goto", " x", "Continue at a label"},
    {"gosub", A::kNone, true, "gosub", " x", "Call the subroutine at a label"},
    {"return", A::kNone, true, "return", "", "Return from a subroutine"},
    {"stop", A::kNone, true, "stop", "", "Stop the script"},
    {"LogMessage", A::kLogMessage, false, "LogMessage", " text", "Write text to the test log"},
    {"OpenLog", A::kOpenLog, false, "OpenLog", " test.log", "Open a new test log"},
    {"AppendLog", A::kAppendLog, false, "AppendLog", " test.log", "Append to a test log"},
    {"CloseLog", A::kCloseLog, false, "CloseLog", "", "Close the test log"},
    {"GetYesNo", A::kGetYesNo, false, "GetYesNo", " question", "Ask Yes or No into YesNo"},
    {"GetInput", A::kGetInput, false, "GetInput", " prompt", "Ask for a text into UserString"},
    {"message", A::kMessage, false, "message", " text", "Show a message"},
    {"testOpen", A::kTestOpen, false, "testOpen", " 1", "IsOpen := whether the channel is open"},
    {"openChannel", A::kOpenChannel, false, "openChannel", " 1", "Open a channel"},
    {"closeChannel", A::kCloseChannel, false, "closeChannel", " 1", "Close a channel"},
    {"setChannel", A::kSetChannel, false, "setChannel", " 1", "Send on this channel"},
    {"setReaderID", A::kSetReaderId, false, "setReaderID", " 0", "Address this reader"},
    {"setChanBaudrate", A::kSetBaudRate, false, "setChanBaudrate", " 9600",
     "Set the channel's baud rate"},
    {"setChannelBaudrate", A::kSetBaudRate, false, nullptr, " 9600", "Set the channel's baud rate"},
    {"setChanPort", A::kSetPort, false, "setChanPort", " com1", "Set the channel's serial port"},
    {"setChanPortByIndex", A::kSetPortByIndex, false, "setChanPortByIndex", " 0",
     "Set the channel's serial port by index"},
    {"retry", A::kRetry, false, "retry", " 4", "Resend limit"},
    {"clearTagsSeen", A::kTab, false, "clearTagsSeen", "", "Clear the Tags Seen table"},
    {"recordTagsSeen", A::kTab, false, "recordTagsSeen", "", "Record the Tags Seen table"},
    {"recordPrefix", A::kTab, false, "recordPrefix", " text", "Record name prefix"},
    {"recordNumber", A::kTab, false, "recordNumber", " 0", "Record name number"},
    {"timeout", A::kTimeout, false, "timeout", " 5", "Reply time-out in 100 ms ticks"},
    {"reply", A::kReply, false, "reply", " 1", "Expect replies (1) or not (0)"},
    {"wait", A::kWait, true, "wait", " 5", "Wait a number of 100 ms ticks"},
    {"waitData", A::kWaitData, true, "waitData", " 5", "Wait for the data pages"},
    {"waitTagID", A::kWaitTagId, true, "waitTagID", " 5", "Wait for a tag ID"},
    {"clearData", A::kClearData, false, "clearData", "", "Clear the captured data pages"},
    {"clearTag", A::kClearTag, false, "clearTag", "", "Clear LastTagSeen"},
    {"setAllRWData", A::kTab, false, "setAllRWData", " 0000000000000000",
     "Set the write data of all pages"},
    {"clearRWReadColours", A::kTab, false, "clearRWReadColours", "", "Clear the read colours"},
    {"RWCmdrCommandSend", A::kTabPress, true, "RWCmdrCommandSend", "", "Press Send (command)"},
    {"RWCmdrCommandLoad", A::kTabPress, true, "RWCmdrCommandLoad", "", "Press Load"},
    {"RWCmdrDataSend", A::kTabPress, true, "RWCmdrDataSend", "", "Press Send (data)"},
    {"RWCmdrSetCommand", A::kTab, false, "RWCmdrSetCommand", " ", "Set the command"},
    {"RWCmdrSetStartPage", A::kTab, false, "RWCmdrSetStartPage", " ", "Set the start page"},
    {"RWCmdrSetNumPages", A::kTab, false, "RWCmdrSetNumPages", " 1", "Set the number of pages"},
    {"RWCmdrSetConfigTamper", A::kTab, false, "RWCmdrSetConfigTamper", " Dis", "Set tamper"},
    {"RWCmdrSetConfigDelay", A::kTab, false, "RWCmdrSetConfigDelay", " 4k", "Set the delay"},
    {"RWCmdrSetConfigTagTxRate", A::kTab, false, "RWCmdrSetConfigTagTxRate", " 256k",
     "Set the tag transmit rate"},
    {"RWCmdrSetTarget", A::kTab, false, "RWCmdrSetTarget", " Specific", "Set the target"},
    {"RWCmdrSetTagID", A::kTab, false, "RWCmdrSetTagID", " 0000000000000000", "Set the tag ID"},
    {"RWCmdrSetData", A::kTab, false, "RWCmdrSetData", " 0000000000000000", "Set the data"},
    {"RWCmdrSetManual", A::kTab, false, "RWCmdrSetManual", " 0", "Set manual mode"},
    {"RWCmdrSetTagIDToLastSeen", A::kSetTagIdToLastSeen, false, "RWCmdrSetTagIDToLastSeen", "",
     "Use the last tag seen"},
    {"RWTTIncData0", A::kTab, false, "RWTTIncData0", "", "Increment data[0]"},
    {"RWTTIncID", A::kTab, false, "RWTTIncID", "", "Increment the ID"},
    {"SetRTTrack", A::kTab, false, "SetRTTrack", " 0", "Track other tabs"},
    {"RecordInput", A::kRecordInput, false, "RecordInput", " 1", "Record a channel's input"},
    {"StopRecord", A::kStopRecord, false, "StopRecord", " 1", "Stop recording"},
    {"StopRecording", A::kStopRecord, false, "StopRecording", " 1", "Stop recording"},
    {"SetExpect", A::kSetExpect, false, "SetExpect", " 0 \"pattern\"", "Watch for a pattern"},
    {"ClearExpect", A::kClearExpect, false, "ClearExpect", "", "Remove the script's watches"},
    {"ClearExpectStrings", A::kClearExpectStrings, false, "ClearExpectStrings", " 0",
     "Clear a slot's lines"},
    {"UpdateDisplay", A::kUpdateDisplay, false, "UpdateDisplay", " 0", "Display refresh marker"},
    {"Push", A::kPush, true, "Push", " TxOn", "Press a named button"},
    {"TagSimSetID", A::kTab, false, "TagSimSetID", " 0000000000000000", "Tag simulator ID"},
    {"TagSimIncID", A::kTab, false, "TagSimIncID", " ", "Increment the simulator ID"},
    {"TagSimSetDelay", A::kTab, false, "TagSimSetDelay", " 187", "Tag simulator delay"},
    {"TagSimSetAlgorithm", A::kTab, false, "TagSimSetAlgorithm", " 5", "Simulator algorithm"},
    {"TagSimSetPeriod", A::kTab, false, "TagSimSetPeriod", " 2", "Simulator period"},
    {"TagSimSetCRC", A::kTab, false, "TagSimSetCRC", " 1", "Simulator CRC"},
    {"TagSimSetCRCSeed", A::kTab, false, "TagSimSetCRCSeed", " 0xffff", "Simulator CRC seed"},
    {"TagSimSetTagNo", A::kTab, false, "TagSimSetTagNo", " 1", "Simulator tag number"},
    {"TagSimSendID", A::kTabPress, true, "TagSimSendID", "", "Press Send ID"},
    {"TagSimSendDelay", A::kTabPress, true, "TagSimSendDelay", "", "Press Send Delay"},
    {"TagSimSendAlgorithm", A::kTabPress, true, "TagSimSendAlgorithm", "", "Press Send Algorithm"},
    {"TagSimNVWrite", A::kTabPress, true, "TagSimNVWrite", "", "Press NV Write"},
    {"TagSimSendNumTags", A::kTabPress, true, "TagSimSendNumTags", "", "Press Send Num Tags"},
    {"TagSimSendTagsNo", A::kTabPress, true, "TagSimSendTagsNo", "", "Press Send Tags No"},
    {"Set", A::kSet, false, "Set", " x1 0", "Set a user variable"},
    {"Inc", A::kInc, false, "Inc", " x1", "Add 1 to a user variable"},
    {"Dec", A::kDec, false, "Dec", " x1", "Subtract 1 from a user variable"},
    {"if", A::kIf, false, "if", " (x) goto loop", "Run the statement when x is true"},
    {"ifNot", A::kIfNot, false, "ifNot", " (x) goto loop", "Run the statement when x is false"},
    {"ifEqual", A::kIfEqual, false, "ifEqual", " (x y) goto loop", "Equal, ignoring case"},
    {"ifNotEqual", A::kIfNotEqual, false, "ifNotEqual", " (x y) goto loop", "Not equal"},
    {"ifContains", A::kIfContains, false, "ifContains", " (x y) goto loop", "x contains y"},
    {"ifNotContains", A::kIfNotContains, false, "ifNotContains", " (x y) goto loop",
     "x does not contain y"},
    {"ifCompare", A::kIfCompare, false, "ifCompare", " (x GT y) goto loop", "Compare numbers"},
    {"ifMatch", A::kIfMatch, false, "ifMatch", " (x y mask) goto loop", "Match under a mask"},
    {"ifNotMatch", A::kIfNotMatch, false, "ifNotMatch", " (x y mask) goto loop",
     "No match under a mask"},
    {"SendText", A::kNone, true, "SendText", " text", "Send the text as it is"},
    {"SimInput", A::kSimInput, false, "SimInput", " text", "Feed a received line"},
    {"buildCommand", A::kNone, true, "buildCommand", " 0105", "Build and send a command"},
    {"ac", A::kNone, true, "ac", "", "A command sent as written"},
    {"ab", A::kNone, true, "ab", "", "A reader command; its LRC is put right"},
};
static_assert(std::size(kRows) == 91);

}  // namespace

std::span<const StatementRow> StatementTable() {
  return kRows;
}

namespace {

// The rows with an action, by the lower-cased first letter of their name, in
// table order: a word can only begin or equal a name with its own first
// letter.
struct StatementIndex {
  std::array<std::vector<const StatementRow*>, 128> byFirst;
  StatementIndex() {
    for (const StatementRow& row : kRows) {
      if (row.action == A::kNone) continue;
      byFirst[FirstLetter(row.name[0])].push_back(&row);
    }
  }
  static size_t FirstLetter(char c) {
    const auto u = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    return u < 128 ? u : 0;
  }
};

const StatementIndex& Index() {
  static const StatementIndex index;
  return index;
}

}  // namespace

const StatementRow* FindStatement(std::string_view word, int* candidates) {
  const StatementRow* only = nullptr;
  int count = 0;
  if (!word.empty()) {
    for (const StatementRow* row : Index().byFirst[StatementIndex::FirstLetter(word[0])]) {
      if (EqualsIgnoreCase(row->name, word)) {
        if (candidates != nullptr) *candidates = 1;
        return row;
      }
      if (StartsWithIgnoreCase(row->name, word)) {
        only = row;
        ++count;
      }
    }
  } else {
    // An empty word begins every name.
    for (const StatementRow& row : kRows) {
      if (row.action == A::kNone) continue;
      only = &row;
      ++count;
    }
  }
  if (candidates != nullptr) *candidates = count;
  return count == 1 ? only : nullptr;
}

}  // namespace corvalis
