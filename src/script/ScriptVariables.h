#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvalis {

inline constexpr int kUserVariables = 100;
inline constexpr int kDataPages = 16;

// The values that statements and the receive side store into.
struct NamedValues {
  bool gotReply = false;
  bool gotTagId = false;
  bool gotData = false;
  std::array<bool, kDataPages> gotDataPage{};
  bool isOpen = false;
  bool logIsOpen = false;
  bool yesNo = false;
  std::string userString;
  bool trueValue = true;
  bool falseValue = false;
  int32_t resentCount = 0;
  int32_t retVal = 0;
  std::string retString;
  // The reader's statistics reply, in table order (Y .. D2VMi, Address ..
  // filt, Baud, Flow, Synth, Beep are integers).
  std::array<int32_t, 26> stats{};
  bool statsAscii = false;
  bool statsTxOn = false;
  bool statsAux1 = false;
  bool statsOut1 = false;
  // Temperature × 100, its whole units and its fraction × 100; overall and
  // channels 1..4.
  std::array<int32_t, 5> tempInt{};
  std::array<int32_t, 5> tempIntU{};
  std::array<int32_t, 5> tempIntF{};
  std::string banner;
};

enum class VariableType : unsigned char { kBoolean = 0, kInteger = 1, kString = 2 };

struct NamedVariable {
  std::string name;
  VariableType type;
  void* storage;
};

// X0..X99, S0..S99 and the 74 named variables.
class ScriptVariables {
 public:
  ScriptVariables();
  ScriptVariables(const ScriptVariables&) = delete;
  ScriptVariables& operator=(const ScriptVariables&) = delete;

  NamedValues values;
  std::array<int32_t, kUserVariables> x{};
  std::array<std::string, kUserVariables> s;

  const std::vector<NamedVariable>& Table() const { return table_; }
  // Case-insensitive: an exact name first, else the first row it begins.
  const NamedVariable* Find(std::string_view name) const;
  static void Format(const NamedVariable& variable, std::string& out);
  static bool AsBool(const NamedVariable& variable) {
    return *static_cast<const bool*>(variable.storage);
  }

 private:
  std::vector<NamedVariable> table_;
};

// Reads a whole integer: decimal, "0x" hexadecimal or leading-0 octal, with
// nothing but blanks after it. False when absent or malformed.
bool ParseScriptInteger(std::string_view text, long long* value);

// "X12" -> 'X', 12 when the letter is one of `letters` (case-insensitive)
// and 0..99 follows with nothing after it.
bool ParseUserVariable(std::string_view text, const char* letters, char* letter, int* index);

bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

}  // namespace corvalis
