#pragma once

#include <string>
#include <string_view>

namespace corvalis {

// A typed line is kept to what one command line may hold.
inline constexpr int kFreeTextMax = 255;

// The typed text with "\\", "\n", "\r" and "\t" turned into a backslash, LF,
// CR and TAB; a backslash before anything else stays with that character.
// The result is cut at kFreeTextMax characters.
std::string UnescapeFreeText(std::string_view typed);

// Characters 3 and 4 as the address the reply will come from: the reader ID
// after "ab" (or any two-character prefix). -1 when they are not hex, or
// when the text is too short to hold them.
int FreeTextReaderId(std::string_view text);

// Rewrites the LRC of a typed "ab" command from its reader ID, length, code
// and data, and cuts whatever follows it. A length byte of ff counts as 0 and
// one above 14 keeps its low 4 bits. A text too short for the fields its
// length byte announces, or whose length byte is not hex, is left as typed:
// there is nothing complete to sum. Returns whether the text was rewritten.
bool FixCommandLrc(std::string& text);

// What the free-text sender writes for `typed`: unescaped; unless `raw`
// (Shift held), an "ab" line gets its LRC fixed and any text longer than one
// character ends in CR LF.
std::string PrepareFreeText(std::string_view typed, bool raw);

}  // namespace corvalis
