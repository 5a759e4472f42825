#include "script/ScriptVariables.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace corvalis {
namespace {

constexpr const char* kStatsNames[] = {
    "Y",       "Mo",      "D",     "H",      "M",        "S",     "Ms",    "E100",
    "CVMa",    "CVMi",    "D1VMa", "D1VMi",  "D1VBuild", "D2VMa", "D2VMi", "Address",
    "Config1", "Config2", "CRC",   "reboot", "noise",    "filt",  "Baud",  "Flow"};
constexpr const char* kStatsTail[] = {"Synth", "Beep"};

// ASCII only: script words are ASCII, and the C library's tolower costs a
// call per character on the interpreter's hottest path.
char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool ParseScriptInteger(std::string_view text, long long* value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  if (text.empty() || text.size() > 40) return false;
  // Most argument texts are words, not numbers: refuse them without a copy.
  const char first = text.front();
  if (first != '-' && first != '+' && (first < '0' || first > '9')) return false;
  char buffer[48];
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(buffer, &end, 0);
  if (end == buffer || *end != '\0' || errno == ERANGE) return false;
  *value = parsed;
  return true;
}

bool ParseUserVariable(std::string_view text, const char* letters, char* letter, int* index) {
  if (text.size() < 2 || text.size() > 3) return false;
  const char* found = std::strchr(letters, text[0]);
  if (found == nullptr || text[0] == '\0') return false;
  int n = 0;
  for (size_t i = 1; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    n = n * 10 + (text[i] - '0');
  }
  *letter = text[0];
  *index = n;
  return true;
}

ScriptVariables::ScriptVariables() {
  table_.reserve(74);
  NamedValues& v = values;
  auto add = [this](std::string name, VariableType type, void* storage) {
    table_.push_back({std::move(name), type, storage});
  };
  add("GotReply", VariableType::kBoolean, &v.gotReply);
  add("GotTagID", VariableType::kBoolean, &v.gotTagId);
  add("GotData", VariableType::kBoolean, &v.gotData);
  for (int i = 0; i < kDataPages; ++i)
    add("GotData" + std::to_string(i), VariableType::kBoolean,
        &v.gotDataPage[static_cast<size_t>(i)]);
  add("IsOpen", VariableType::kBoolean, &v.isOpen);
  add("LogIsOpen", VariableType::kBoolean, &v.logIsOpen);
  add("YesNo", VariableType::kBoolean, &v.yesNo);
  add("UserString", VariableType::kString, &v.userString);
  add("true", VariableType::kBoolean, &v.trueValue);
  add("false", VariableType::kBoolean, &v.falseValue);
  add("ResentCount", VariableType::kInteger, &v.resentCount);
  add("RetVal", VariableType::kInteger, &v.retVal);
  add("RetString", VariableType::kString, &v.retString);
  size_t stat = 0;
  for (const char* name : kStatsNames)
    add(std::string("Stats.") + name, VariableType::kInteger, &v.stats[stat++]);
  add("Stats.ASCII", VariableType::kBoolean, &v.statsAscii);
  add("Stats.TxOn", VariableType::kBoolean, &v.statsTxOn);
  add("Stats.Aux1", VariableType::kBoolean, &v.statsAux1);
  add("Stats.Out1", VariableType::kBoolean, &v.statsOut1);
  for (const char* name : kStatsTail)
    add(std::string("Stats.") + name, VariableType::kInteger, &v.stats[stat++]);
  const char* tempNames[] = {"TempInt", "TempIntU", "TempIntF"};
  std::array<int32_t, 5>* temps[] = {&v.tempInt, &v.tempIntU, &v.tempIntF};
  for (int t = 0; t < 3; ++t) {
    add(tempNames[t], VariableType::kInteger, &(*temps[t])[0]);
    for (int ch = 1; ch <= 4; ++ch)
      add(tempNames[t] + std::to_string(ch), VariableType::kInteger,
          &(*temps[t])[static_cast<size_t>(ch)]);
  }
  add("Banner", VariableType::kString, &v.banner);
}

const NamedVariable* ScriptVariables::Find(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const NamedVariable& row : table_) {
    if (EqualsIgnoreCase(row.name, name)) return &row;
  }
  for (const NamedVariable& row : table_) {
    if (StartsWithIgnoreCase(row.name, name)) return &row;
  }
  return nullptr;
}

void ScriptVariables::Format(const NamedVariable& variable, std::string& out) {
  switch (variable.type) {
    case VariableType::kBoolean:
      out += *static_cast<const bool*>(variable.storage) ? "1" : "0";
      break;
    case VariableType::kInteger:
      out += std::to_string(*static_cast<const int32_t*>(variable.storage));
      break;
    case VariableType::kString:
      out += *static_cast<const std::string*>(variable.storage);
      break;
  }
}

}  // namespace corvalis
