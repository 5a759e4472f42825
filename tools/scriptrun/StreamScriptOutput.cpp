#include "StreamScriptOutput.h"

#include <cctype>
#include <string>

namespace corvalis {
namespace {

// Without the line ends the panes would add.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  return text;
}

}  // namespace

void StreamScriptOutput::ScriptMessage(std::string_view line) {
  const std::string_view text = Trimmed(line);
  std::fprintf(out_, "%.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(out_);
}

void StreamScriptOutput::ScriptTrace(std::string_view text) {
  ScriptMessage(text);
}

void StreamScriptOutput::ShowBox(std::string_view title, std::string_view text) {
  if (title.empty()) {
    ScriptMessage(text);
    return;
  }
  std::string line(Trimmed(text));
  for (char& c : line) {
    if (c == '\r') c = '\n';
  }
  std::fprintf(err_, "%.*s: %s\n", static_cast<int>(title.size()), title.data(), line.c_str());
  std::fflush(err_);
}

std::optional<std::string> StreamScriptOutput::ReadLine() {
  std::string line;
  int c = 0;
  while ((c = std::fgetc(in_)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
  if (c == EOF && line.empty()) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<bool> StreamScriptOutput::AskYesNo(std::string_view question) {
  std::fprintf(out_, "%.*s [y/n] ", static_cast<int>(question.size()), question.data());
  std::fflush(out_);
  const auto answer = ReadLine();
  if (!answer) return std::nullopt;
  return !answer->empty() && std::tolower(static_cast<unsigned char>((*answer)[0])) == 'y';
}

std::optional<std::string> StreamScriptOutput::AskInput(std::string_view prompt) {
  std::fprintf(out_, "%.*s ", static_cast<int>(prompt.size()), prompt.data());
  std::fflush(out_);
  return ReadLine();
}

}  // namespace corvalis
