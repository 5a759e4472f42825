#pragma once

#include <string_view>

namespace corvalis {

enum class RegexSyntax { kBasic, kExtended };

// True when repetitions are stacked on one another ("a+++", "a{9}{9}", and in
// basic syntax "a\+\+\+"): the C library's matcher grows exponentially with
// each, so an operator's typo must be refused before it exhausts memory.
bool StacksRepetitions(std::string_view pattern, RegexSyntax syntax);

}  // namespace corvalis
