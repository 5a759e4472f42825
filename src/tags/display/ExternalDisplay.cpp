#include "tags/display/ExternalDisplay.h"

#include <algorithm>

#include "common/ChannelIndex.h"
#include "tags/display/DisplayFrames.h"
#include "tags/display/DisplayLines.h"

namespace corvalis {
namespace {

constexpr size_t kMaxWholeWindowText = 100;

bool IsSign(DisplayType type) {
  return type == DisplayType::kPolycomp16x1 || type == DisplayType::kPolycomp16x5;
}

}  // namespace

void ExternalDisplay::SetSettings(const DisplaySettings& settings) {
  settings_ = settings;
  settings_.windowRows = std::clamp(settings_.windowRows, 1, kMaxWindowRows);
  settings_.windowCols = std::clamp(settings_.windowCols, 1, kMaxWindowCols);
  InitDisplay();
}

int ExternalDisplay::LineCount() const {
  switch (settings_.type) {
    case DisplayType::kPolycomp16x1:
      return 1;
    case DisplayType::kPolycomp16x5:
      return kPolycomp16x5Lines;
    case DisplayType::kWindow:
      return settings_.windowRows;
    default:
      return 0;
  }
}

void ExternalDisplay::ResetLines() {
  lines_.assign(static_cast<size_t>(LineCount()), std::string());
}

void ExternalDisplay::InitDisplay() {
  ResetLines();
  if (window_ != nullptr) {
    window_->ApplyLayout(settings_, settings_.type == DisplayType::kWindow && settings_.outputOn);
  }
  ShowOnDisplay(kClearDisplay);
}

bool ExternalDisplay::ShowOnDisplay(std::string_view text) {
  if (text.empty() || !Selected()) return true;
  if (settings_.type != DisplayType::kWindow && !channels_.IsOpen(kOutputChannel)) return true;
  if (static_cast<int>(lines_.size()) != LineCount()) ResetLines();

  if (settings_.type == DisplayType::kMessageBoard) {
    ShowOnBoard(text);
  } else if (IsSign(settings_.type)) {
    ShowOnSign(text);
  } else {
    ShowInWindow(text);
  }
  lastMessage_.assign(text);
  if (settings_.idleLifetimeSec > 0) {
    WallTime deadline = clock_.Now();
    deadline.sec += settings_.idleLifetimeSec;
    idleDeadline_ = deadline;
  }
  return true;
}

void ExternalDisplay::Tick() {
  if (!idleDeadline_ || MillisBetween(*idleDeadline_, clock_.Now()) < 0) return;
  ShowOnDisplay(kDisplayIdleMessage);
  idleDeadline_.reset();
}

void ExternalDisplay::ShowOnBoard(std::string_view text) {
  if (text == kClearDisplay) {
    BuildBoardClearFrame(settings_, frame_);
  } else if (text == kDisplayIdleMessage) {
    BuildBoardIdleFrame(settings_, frame_);
  } else {
    BuildBoardNameFrame(settings_, text, frame_);
  }
  WriteFrame();
}

void ExternalDisplay::ShowOnSign(std::string_view text) {
  const bool idle = text == kDisplayIdleMessage && !settings_.idleMessage.empty();
  if (text == kClearDisplay || text == kDisplayIdleMessage) {
    for (std::string& line : lines_) line.clear();
    if (idle) {
      const std::string_view message(settings_.idleMessage);
      SendSign(settings_.idle, message.substr(0, kMaxIdleText));
      return;
    }
  } else if (settings_.type == DisplayType::kPolycomp16x1) {
    // A history of one line: every line moves up and the name comes last.
    std::rotate(lines_.begin(), lines_.begin() + 1, lines_.end());
    lines_.back() = settings_.poly16x1Line == "TAG_NAME"
                        ? std::string(text)
                        : FillProgram(settings_.poly16x1Line, text);
  } else {
    ApplySignPrograms(settings_.poly16x5Lines, text, lines_);
  }
  text_.clear();
  if (settings_.type == DisplayType::kPolycomp16x1) {
    text_ = FitToWidth(lines_.back(), kPolycompLineWidth);
  } else {
    for (const std::string& line : lines_) text_ += FitToWidth(line, kPolycompLineWidth);
  }
  SendSign(settings_.normal, text_);
}

void ExternalDisplay::SendSign(const SignBytes& pageBytes, std::string_view text) {
  BuildPolycompFrame(static_cast<int>(lines_.size()), settings_.normal, pageBytes, text, frame_);
  WriteFrame();
}

void ExternalDisplay::ShowInWindow(std::string_view text) {
  const bool clear = text == kClearDisplay;
  const bool idle = text == kDisplayIdleMessage;
  if (clear || idle) {
    for (std::string& row : lines_) row.clear();
    const std::string& message = settings_.idleMessage;
    if (idle && !message.empty()) {
      const size_t cols = static_cast<size_t>(settings_.windowCols);
      if (message[0] == '@') {
        // A whole text: the characters after the at sign, row after row.
        const std::string whole = message.substr(1, kMaxWholeWindowText);
        for (size_t r = 0; r < lines_.size() && r * cols < whole.size(); ++r) {
          lines_[r] = whole.substr(r * cols, cols);
        }
      } else {
        const std::string shown = message.substr(0, cols);
        lines_[lines_.size() / 2] = std::string((cols - shown.size()) / 2, ' ') + shown;
      }
    }
  } else {
    LineProgramInputs inputs;
    inputs.name = text;
    inputs.numTags = table_.SeenLength();
    inputs.numGoodTags = table_.ValidPasses();
    ApplyWindowPrograms(settings_.windowPrograms, inputs, lines_);
  }
  DrawWindow();
}

void ExternalDisplay::DrawWindow() {
  if (window_ == nullptr) return;
  std::vector<std::string> rows;
  rows.reserve(lines_.size());
  for (const std::string& line : lines_) rows.push_back(FitToWidth(line, settings_.windowCols));
  window_->ShowRows(rows);
}

void ExternalDisplay::WriteFrame() {
  channels_.WriteToChannel(kOutputChannel, frame_.data(), static_cast<int>(frame_.size()));
}

}  // namespace corvalis
