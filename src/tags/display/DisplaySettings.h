#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalis {

// How a display message becomes bytes on the output channel.
enum class DisplayType { kNone, kMessageBoard, kPolycomp16x1, kPolycomp16x5, kWindow };

// "MessageBoard", "Polycomp16x1", "Polycomp16x5" or "Window", in any case;
// anything else is no display.
DisplayType DisplayTypeFromText(std::string_view text);
const char* DisplayTypeText(DisplayType type);

// The header bytes of a Polycomp frame.
struct SignBytes {
  int signAddress = 0;
  int serst = 192;
  int pageNumber = 1;
  int tempo = 226;
  int function = 193;
  int pageStatus = 128;
};

inline constexpr int kPolycompLineWidth = 16;
inline constexpr int kPolycomp16x5Lines = 5;
inline constexpr int kMaxIdleText = 999;
inline constexpr int kMaxWindowRows = 100;
inline constexpr int kMaxWindowCols = 200;

// The "DISPLAY" section as the display reads it, plus whether the output
// port drives a display at all ("OutputPortUse" is "DISPLAY").
struct DisplaySettings {
  bool outputOn = false;
  DisplayType type = DisplayType::kMessageBoard;

  // Message board.
  int address = 0;
  char messageId = 'A';
  int width = 0;     // above 0: the name is padded or cut to it
  int lifetime = 0;  // minutes
  std::string prefix;
  std::string suffix;

  std::string idleMessage;
  int idleLifetimeSec = 0;  // 0: never

  // Polycomp signs; idle frames use the idle SERST, page number, function and
  // page status with the normal address and tempo.
  SignBytes normal;
  SignBytes idle{0, 192, 1, 226, 207, 144};
  std::string poly16x1Line = "TAG_NAME";
  std::array<std::string, kPolycomp16x5Lines> poly16x5Lines{"LINE_2", "LINE_3", "LINE_4", "LINE_5",
                                                            "TAG_NAME"};

  // On-screen display.
  int windowCols = 16;
  int windowRows = 5;
  std::vector<std::string> windowPrograms;  // one per row; missing rows scroll up
  int fontSize = 16;
  std::string fontName = "MS Sans Serif";
  bool fontBold = false;
};

// "A" to "Z" stand; anything else is "A".
char MessageIdFromText(std::string_view text);

// A byte value typed in the Display Setup dialog: decimal or "0x" hex, 0 to
// 255, blanks around it allowed. Nothing for anything else.
std::optional<int> ParseDisplayByte(std::string_view text);

}  // namespace corvalis
