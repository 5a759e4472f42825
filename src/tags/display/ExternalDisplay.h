#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Clock.h"
#include "protocol/MessageDispatcher.h"
#include "tags/TagTable.h"
#include "tags/display/DisplaySettings.h"

namespace corvalis {

// The two texts that are commands to the display, not names.
inline constexpr std::string_view kClearDisplay = "Clear Display";
inline constexpr std::string_view kDisplayIdleMessage = "Display Idle Message";

// The on-screen display window ("frmWindowDisp"), as the display drives it.
class DisplayWindowView {
 public:
  virtual ~DisplayWindowView() = default;
  // Rows, columns and font from the settings; shown or hidden.
  virtual void ApplyLayout(const DisplaySettings& settings, bool shown) = 0;
  // The rows to draw, each already fitted to the window's columns.
  virtual void ShowRows(const std::vector<std::string>& rows) = 0;
};

// The external display on the output channel (channel 5): message board,
// Polycomp one- and five-line signs, or the on-screen window. Names of
// completed passes, "Clear Display" and "Display Idle Message" become frames
// for the chosen type; the 100 ms tick sends the idle message once its
// deadline has passed.
class ExternalDisplay final : public SeenTableClearListener {
 public:
  ExternalDisplay(const Clock& clock, ChannelWriter& channels, const TagTable& table)
      : clock_(clock), channels_(channels), table_(table) {}

  void SetWindow(DisplayWindowView* window) { window_ = window; }
  const DisplaySettings& Settings() const { return settings_; }
  // New settings: InitDisplay follows.
  void SetSettings(const DisplaySettings& settings);

  // "Clear Display", the window's rows, columns and font, and the window
  // shown only for the window type while the output is on.
  void InitDisplay();

  // True when the output port drives a display.
  bool Selected() const { return settings_.outputOn && settings_.type != DisplayType::kNone; }

  // One message: a name, kClearDisplay or kDisplayIdleMessage. Nothing for an
  // empty text, while the display is not selected, or (signs) while channel 5
  // is closed. After a message that went out the idle deadline moves to now +
  // IdleLifetime. Always true: a closed channel drops sign messages silently.
  bool ShowOnDisplay(std::string_view text);

  // The 100 ms tick: the idle message once its deadline has passed.
  void Tick();

  // The display's current lines (1, 5 or WindowRows) and the idle deadline.
  const std::vector<std::string>& Lines() const { return lines_; }
  std::optional<WallTime> IdleDeadline() const { return idleDeadline_; }
  // The bytes of the last frame written to channel 5.
  const std::string& LastFrame() const { return frame_; }

  // SeenTableClearListener
  void SeenTableCleared() override { ShowOnDisplay(kClearDisplay); }

 private:
  int LineCount() const;
  void ResetLines();
  void ShowOnBoard(std::string_view text);
  void ShowOnSign(std::string_view text);
  void ShowInWindow(std::string_view text);
  void SendSign(const SignBytes& pageBytes, std::string_view text);
  void WriteFrame();
  void DrawWindow();

  const Clock& clock_;
  ChannelWriter& channels_;
  const TagTable& table_;
  DisplayWindowView* window_ = nullptr;
  DisplaySettings settings_;
  std::vector<std::string> lines_;
  std::string lastMessage_;
  std::optional<WallTime> idleDeadline_;
  std::string frame_;
  std::string text_;
};

}  // namespace corvalis
