#include "demos/tolling/TollingMonitor.h"

namespace corvalis {

void TollingMonitor::ObserveMessage(int, const char* text, int length) {
  if (!modes_.IsOn(SpecialMode::Tolling) || text == nullptr || length < 2) return;
  if (text[0] != 'a' || text[1] != '1') return;
  view_.AddIncomingLine(std::string_view(text, static_cast<size_t>(length)));
  const TollingReport report = ParseTollingReport(text, length, modeInMessage_);
  switch (report.parse) {
    case TollingReportParse::LrcError:
      view_.ShowReportError("LRC error");
      break;
    case TollingReportParse::BadData:
      view_.ShowReportError("Bad Data");
      break;
    case TollingReportParse::Report:
      view_.ShowReport(DescribeTollingReport(report));
      break;
    case TollingReportParse::NotReport:
      break;
  }
}

void TollingMonitor::TakeReply(const ReplyView& reply) {
  switch (reply.code) {
    case kTollingTariffsCode:
      if (const auto tariffs = ParseTollingTariffs(reply)) view_.ShowTariffs(*tariffs);
      break;
    case kTollingReadPointCode:
      if (const auto points = ParseTollingReadPoints(reply)) view_.ShowReadPoints(*points);
      break;
    case kTollingModeCode:
      if (const auto mode = ParseTollingMode(reply)) {
        view_.ShowModeLabel(TollingModeLabel(mode->mode));
        if (mode->credit) view_.ShowCredit(*mode->credit);
      }
      break;
    case kTollingTimeoutsCode:
      if (const auto timeouts = ParseTollingTimeouts(reply)) view_.ShowTimeouts(*timeouts);
      break;
    default:
      break;
  }
}

}  // namespace corvalis
