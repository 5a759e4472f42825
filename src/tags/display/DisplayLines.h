#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "tags/display/DisplaySettings.h"

namespace corvalis {

// What a line program may show besides the name.
struct LineProgramInputs {
  std::string_view name;
  int numTags = 0;      // entries of the seen table ("NUM TAGS")
  int numGoodTags = 0;  // passes that reached the noise limit ("NUM GOOD TAGS")
};

// A program that is none of the keywords: its first "%s" takes the name and
// every other character is shown as written (a "%n" from a hand-edited file
// is just text).
std::string FillProgram(std::string_view program, std::string_view name);

// The signed row offset at the start of a relative program ("+2", "-1 up");
// 0 when no number follows the sign.
int RelativeRowOffset(std::string_view program);

// The five-line sign: LINE_1..LINE_5 take that line's previous content,
// TAG_NAME the name, anything else FillProgram. `lines` holds five lines.
void ApplySignPrograms(const std::array<std::string, kPolycomp16x5Lines>& programs,
                       std::string_view name, std::vector<std::string>& lines);

// The on-screen display: every row's program against the rows as they were
// (SCROLL UP, SCROLL DOWN, +n / -n, LINE_1..LINE_5, TAG_NAME, NUM TAGS,
// NUM GOOD TAGS, else FillProgram). A row whose program has nothing to copy
// keeps what it showed. Rows without a program scroll up.
void ApplyWindowPrograms(const std::vector<std::string>& programs, const LineProgramInputs& inputs,
                         std::vector<std::string>& rows);

// `text` padded with blanks or cut to exactly `width` characters.
std::string FitToWidth(std::string_view text, int width);

}  // namespace corvalis
