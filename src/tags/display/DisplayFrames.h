#pragma once

#include <string>
#include <string_view>

#include "tags/display/DisplaySettings.h"

namespace corvalis {

inline constexpr char kStx = 0x02;
inline constexpr char kEtx = 0x03;

// Message-board text frames: STX, the address character ("DisplayAddress" +
// 32), the message letter, the lifetime in minutes, then the body and ETX,
// closed by the XOR of STX..ETX as two upper-case hex digits. Each replaces
// `out`.
void BuildBoardNameFrame(const DisplaySettings& settings, std::string_view name, std::string& out);
void BuildBoardClearFrame(const DisplaySettings& settings, std::string& out);
void BuildBoardIdleFrame(const DisplaySettings& settings, std::string& out);

// A Polycomp sign frame: 0x00, the line count, the sign address, 0x03, SERST,
// the page number as three digits, tempo, function, page status, the text,
// 0x04 and the XOR of every byte before it. `pageBytes` gives SERST, page
// number, function and page status; address and tempo are always the normal
// ones. Replaces `out`.
void BuildPolycompFrame(int lineCount, const SignBytes& normal, const SignBytes& pageBytes,
                        std::string_view text, std::string& out);

}  // namespace corvalis
