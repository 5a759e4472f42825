#include "tags/display/DisplayLines.h"

#include <algorithm>

namespace corvalis {
namespace {

// "LINE_1" to "LINE_5": the line index 0..4, else -1.
int LineReference(std::string_view program) {
  if (program.size() == 6 && program.substr(0, 5) == "LINE_" && program[5] >= '1' &&
      program[5] <= '5') {
    return program[5] - '1';
  }
  return -1;
}

}  // namespace

std::string FillProgram(std::string_view program, std::string_view name) {
  std::string out;
  const size_t at = program.find("%s");
  if (at == std::string_view::npos) return std::string(program);
  out.reserve(program.size() + name.size());
  out += program.substr(0, at);
  out += name;
  out += program.substr(at + 2);
  return out;
}

int RelativeRowOffset(std::string_view program) {
  if (program.empty() || (program[0] != '+' && program[0] != '-')) return 0;
  const int sign = program[0] == '-' ? -1 : 1;
  int value = 0;
  bool digits = false;
  for (size_t i = 1; i < program.size() && program[i] >= '0' && program[i] <= '9'; ++i) {
    digits = true;
    value = std::min(value * 10 + (program[i] - '0'), kMaxWindowRows);
  }
  return digits ? sign * value : 0;
}

void ApplySignPrograms(const std::array<std::string, kPolycomp16x5Lines>& programs,
                       std::string_view name, std::vector<std::string>& lines) {
  const std::vector<std::string> before = lines;
  for (size_t i = 0; i < programs.size() && i < lines.size(); ++i) {
    const std::string& program = programs[i];
    const int line = LineReference(program);
    if (line >= 0) {
      lines[i] = before[static_cast<size_t>(line)];
    } else if (program == "TAG_NAME") {
      lines[i] = std::string(name);
    } else {
      lines[i] = FillProgram(program, name);
    }
  }
}

void ApplyWindowPrograms(const std::vector<std::string>& programs, const LineProgramInputs& inputs,
                         std::vector<std::string>& rows) {
  const std::vector<std::string> before = rows;
  const int count = static_cast<int>(rows.size());
  const auto copyFrom = [&](int row, int source) {
    if (source >= 0 && source < count)
      rows[static_cast<size_t>(row)] = before[static_cast<size_t>(source)];
  };
  for (int r = 0; r < count; ++r) {
    const std::string_view program = static_cast<size_t>(r) < programs.size()
                                         ? std::string_view(programs[static_cast<size_t>(r)])
                                         : std::string_view("SCROLL UP");
    std::string& row = rows[static_cast<size_t>(r)];
    if (program == "SCROLL UP") {
      copyFrom(r, r + 1);
    } else if (program == "SCROLL DOWN") {
      copyFrom(r, r - 1);
    } else if (!program.empty() && (program[0] == '+' || program[0] == '-')) {
      const int offset = RelativeRowOffset(program);
      if (offset != 0) copyFrom(r, r + offset);
    } else if (const int line = LineReference(program); line >= 0) {
      copyFrom(r, line);
    } else if (program == "TAG_NAME") {
      row = std::string(inputs.name);
    } else if (program == "NUM TAGS") {
      row = std::to_string(inputs.numTags);
    } else if (program == "NUM GOOD TAGS") {
      row = std::to_string(inputs.numGoodTags);
    } else {
      row = FillProgram(program, inputs.name);
    }
  }
}

std::string FitToWidth(std::string_view text, int width) {
  const size_t w = static_cast<size_t>(std::max(width, 0));
  std::string out(text.substr(0, std::min(w, text.size())));
  out.append(w - out.size(), ' ');
  return out;
}

}  // namespace corvalis
