// The if family and the user-variable statements.
#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "script/ScriptCommands.h"
#include "script/ScriptInterpreter.h"

namespace corvalis {
namespace {

constexpr size_t kConditionMax = 100;

struct ConditionForm {
  StatementAction action;
  const char* name;
  const char* syntax;
  int words;  // words inside the parentheses
};

constexpr ConditionForm kForms[] = {
    {StatementAction::kIf, "if", "if (condition) label", 1},
    {StatementAction::kIfNot, "ifNot", "ifNot (condition) label", 1},
    {StatementAction::kIfEqual, "ifEqual", "ifEqual (text1 text2) statement", 2},
    {StatementAction::kIfNotEqual, "ifNotEqual", "ifNotEqual (text1 text2) statement", 2},
    {StatementAction::kIfContains, "ifContains", "ifContains (text1 text2) statement", 2},
    {StatementAction::kIfNotContains, "ifNotContains", "ifNotContains (text1 text2) statement", 2},
    {StatementAction::kIfCompare, "ifCompare", "ifCompare (x op y) statement", 3},
    {StatementAction::kIfMatch, "ifMatch", "ifMatch (text1 text2 mask) statement", 3},
    {StatementAction::kIfNotMatch, "ifNotMatch", "ifNotMatch (text1 text2 mask) statement", 3},
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool ReadReal(std::string_view text, double* value) {
  // Plain whole numbers, the usual loop counters, skip the C library.
  const size_t digits = text.size();
  const bool negative = !text.empty() && text[0] == '-';
  const size_t first = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (digits > first && digits - first <= 15) {
    int64_t whole = 0;
    size_t i = first;
    while (i < digits && text[i] >= '0' && text[i] <= '9') whole = whole * 10 + (text[i++] - '0');
    if (i == digits) {
      *value = static_cast<double>(negative ? -whole : whole);
      return true;
    }
  }
  const std::string copy(text);
  char* end = nullptr;
  *value = std::strtod(copy.c_str(), &end);
  return end != copy.c_str() && *end == '\0' && std::isfinite(*value);
}

bool Compare(double x, std::string_view op, double y) {
  if (EqualsIgnoreCase(op, "eq")) return x == y;
  if (EqualsIgnoreCase(op, "ne")) return x != y;
  if (EqualsIgnoreCase(op, "lt")) return x < y;
  if (EqualsIgnoreCase(op, "le")) return x <= y;
  if (EqualsIgnoreCase(op, "gt")) return x > y;
  if (EqualsIgnoreCase(op, "ge")) return x >= y;
  if (EqualsIgnoreCase(op, "ae")) {
    if (x == y) return true;
    const double larger = std::max(std::fabs(x), std::fabs(y));
    return std::fabs(x - y) / larger <= 0.01;
  }
  return false;
}

// Up to kMaxWords blank-separated words; the count goes on past that so a
// wrong shape is still seen.
constexpr int kMaxWords = 4;
struct WordList {
  std::array<std::string_view, kMaxWords> word;
  int count = 0;
};

WordList Words(std::string_view text) {
  WordList words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) {
      if (words.count < kMaxWords)
        words.word[static_cast<size_t>(words.count)] = text.substr(start, i - start);
      ++words.count;
    }
  }
  return words;
}

}  // namespace

bool MaskMatches(std::string_view text1, std::string_view text2, std::string_view mask) {
  for (size_t i = 0; i < mask.size(); ++i) {
    const char m = mask[i];
    if (m == '?') continue;
    const int bits = HexValue(m);
    if (bits >= 0) {
      // Both texts must have a hex digit here; a shorter text fails.
      if (i >= text1.size() || i >= text2.size()) return false;
      const int a = HexValue(text1[i]);
      const int b = HexValue(text2[i]);
      if (a < 0 || b < 0 || (a & bits) != (b & bits)) return false;
      continue;
    }
    if (i >= text1.size()) return true;
    if (i >= text2.size()) return false;
    if (std::tolower(static_cast<unsigned char>(text1[i])) !=
        std::tolower(static_cast<unsigned char>(text2[i])))
      return false;
  }
  return true;
}

bool ScriptInterpreter::Condition(StatementAction action, std::string_view args,
                                  std::string& reparse) {
  const ConditionForm* form = nullptr;
  for (const ConditionForm& f : kForms) {
    if (f.action == action) form = &f;
  }
  if (form == nullptr) return false;
  // Message parts are built only when a message is shown.
  const auto quoted = [args] { return std::string(args) + "\""; };
  const std::string_view name = form->name;
  const size_t open = args.find('(');
  const size_t close = args.find(')');
  size_t rest = close == std::string_view::npos ? args.size() : close + 1;
  while (rest < args.size() && (args[rest] == ' ' || args[rest] == '\t')) ++rest;
  if (open == std::string_view::npos || close == std::string_view::npos || close < open ||
      rest >= args.size()) {
    output_.ShowBox("Syntax Error", "Bad \"" + std::string(name) + "\" statement: \"" + quoted() +
                                        "\n  " + form->syntax);
    return false;
  }
  const std::string_view inside = args.substr(open + 1, close - open - 1);
  if (inside.size() >= kConditionMax) {
    output_.ShowBox("Syntax Error", "Condition of an \"" + std::string(name) + "\" statement: \"" +
                                        quoted() + "\n  must be less than 100 characters long");
    return false;
  }
  const WordList list = Words(inside);
  const auto& words = list.word;
  if (list.count != form->words) {
    output_.ShowBox("Syntax Error", "Bad \"" + std::string(name) + "\" statement: \"" + quoted() +
                                        "\n  " + form->syntax);
    return false;
  }
  bool holds = false;
  switch (action) {
    case StatementAction::kIf:
    case StatementAction::kIfNot: {
      const NamedVariable* variable = variables_.Find(words[0]);
      if (variable == nullptr) {
        output_.ShowBox("Syntax Error", "Unknown condition in \"" + std::string(name) +
                                            "\" statement: \"" + quoted() + "\n   condition: (" +
                                            std::string(words[0]) + ")");
        return false;
      }
      if (variable->type != VariableType::kBoolean) {
        output_.ShowBox("Syntax Error", "The condition of an \"" + std::string(name) +
                                            "\" must be a boolean variable: \"" + quoted());
        return false;
      }
      holds = ScriptVariables::AsBool(*variable) == (action == StatementAction::kIf);
      break;
    }
    case StatementAction::kIfEqual:
      holds = EqualsIgnoreCase(words[0], words[1]);
      break;
    case StatementAction::kIfNotEqual:
      holds = !EqualsIgnoreCase(words[0], words[1]);
      break;
    case StatementAction::kIfContains:
      holds = words[0].find(words[1]) != std::string_view::npos;
      break;
    case StatementAction::kIfNotContains:
      holds = words[0].find(words[1]) == std::string_view::npos;
      break;
    case StatementAction::kIfCompare: {
      double x = 0;
      double y = 0;
      if (!ReadReal(words[0], &x) || !ReadReal(words[2], &y)) {
        output_.ShowBox("Syntax Error", "Bad \"" + std::string(name) + "\" statement: \"" +
                                            quoted() + "\n  text1 and tex2 must be numeric");
        return false;
      }
      holds = Compare(x, words[1], y);
      break;
    }
    case StatementAction::kIfMatch:
      holds = MaskMatches(words[0], words[1], words[2]);
      break;
    case StatementAction::kIfNotMatch:
      holds = !MaskMatches(words[0], words[1], words[2]);
      break;
    default:
      break;
  }
  if (holds) reparse.assign(args.substr(rest));
  return true;
}

void ScriptInterpreter::SetStatement(std::string_view args) {
  const auto quoted = [args] { return std::string(args) + "\""; };
  size_t i = 0;
  while (i < args.size() && args[i] != ' ' && args[i] != '\t') ++i;
  const std::string_view target = args.substr(0, i);
  while (i < args.size() && (args[i] == ' ' || args[i] == '\t')) ++i;
  if (i < args.size() && args[i] == '=') {
    ++i;
    while (i < args.size() && (args[i] == ' ' || args[i] == '\t')) ++i;
  }
  std::string_view value = args.substr(i);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  if (target.empty() || value.empty()) {
    output_.ShowBox("Syntax Error", "Bad \"Set\" statement: \"" + quoted() + "\n  Set Xn value");
    return;
  }
  if (value.size() >= 100) {
    output_.ShowBox("Syntax Error", "Rvalue of a \"Set\" statement: \"" + quoted() +
                                        "\n  must be less than 100 characters long");
    return;
  }
  char letter = 0;
  int index = 0;
  if (!ParseUserVariable(target, "XxSs", &letter, &index) || index >= kUserVariables) {
    output_.ShowBox("Syntax Error", "Target of a \"Set\" statement: \"" + quoted() +
                                        "\n  must be X0 - X99 or S0 to S99 ");
    return;
  }
  if (letter == 'S' || letter == 's') {
    variables_.s[static_cast<size_t>(index)].assign(value);
    return;
  }
  long long number = 0;
  if (!ParseScriptInteger(value, &number) || number < INT32_MIN || number > INT32_MAX) {
    output_.ShowBox("Syntax Error",
                    "Assigning non-numeric value to a numeric variable: \"" + quoted());
    return;
  }
  variables_.x[static_cast<size_t>(index)] = static_cast<int32_t>(number);
}

void ScriptInterpreter::IncDecStatement(std::string_view args, bool increment) {
  const auto quoted = [args] { return std::string(args) + "\""; };
  const WordList list = Words(args);
  const auto& words = list.word;
  const char* name = increment ? "Inc" : "Dec";
  if (list.count != 1) {
    output_.ShowBox("Syntax Error", std::string("Bad \"") + name + "\" statement: \"" + quoted() +
                                        "\n  " + name + " Xn");
    return;
  }
  char letter = 0;
  int index = 0;
  if (!ParseUserVariable(words[0], "Xx", &letter, &index) || index >= kUserVariables) {
    output_.ShowBox("Syntax Error",
                    std::string(increment ? "Target of an \"Inc\"" : "Target of a \"Dec\"") +
                        " statement: \"" + quoted() + "\n  must be X0 - X99");
    return;
  }
  // Counters stop at the ends of their range instead of overflowing.
  int32_t& x = variables_.x[static_cast<size_t>(index)];
  if (increment && x < INT32_MAX) ++x;
  if (!increment && x > INT32_MIN) --x;
}

}  // namespace corvalis
