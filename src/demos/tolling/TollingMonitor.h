#pragma once

#include <array>
#include <string>
#include <string_view>

#include "common/SpecialModes.h"
#include "demos/tolling/TollingReplies.h"
#include "demos/tolling/TollingReport.h"
#include "protocol/MessageDispatcher.h"

namespace corvalis {

// What the tolling window shows for its logic.
class TollingView {
 public:
  virtual ~TollingView() = default;
  // Every "a1" line, newest first in the incoming pane.
  virtual void AddIncomingLine(std::string_view line) = 0;
  // The result label alone: "LRC error" or "Bad Data".
  virtual void ShowReportError(std::string_view text) = 0;
  virtual void ShowReport(const TollingReportTexts& texts) = 0;
  virtual void ShowModeLabel(const std::string& text) = 0;
  virtual void ShowCredit(uint32_t credit) = 0;
  virtual void ShowTariffs(const TollingTariffs& tariffs) = 0;
  virtual void ShowReadPoints(const TollingReadPoints& points) = 0;
  virtual void ShowTimeouts(const std::array<int, kTollingTimeouts>& timeouts) = 0;
};

// The tolling window's receive side: "a1" transaction reports while the
// tolling mode is on, and the configuration replies it registers for. The
// reports go on to the multi-ID decoder as well (the dispatcher does that),
// so the tags also enter the table.
class TollingMonitor final : public MessageObserver, public ReplyRoute {
 public:
  static constexpr std::array<int, 4> kReplyCodes = {kTollingTimeoutsCode, kTollingTariffsCode,
                                                     kTollingReadPointCode, kTollingModeCode};

  TollingMonitor(const SpecialModes& modes, TollingView& view) : modes_(modes), view_(view) {}

  // "Mode In Message": the reader puts its mode before the result.
  void SetModeInMessage(bool on) { modeInMessage_ = on; }
  bool ModeInMessage() const { return modeInMessage_; }

  void ObserveMessage(int channel, const char* text, int length) override;
  void TakeReply(const ReplyView& reply) override;

 private:
  const SpecialModes& modes_;
  TollingView& view_;
  bool modeInMessage_ = true;
};

}  // namespace corvalis
