// Feeds arbitrary lines to the tolling window's receive side: the "a1"
// transaction report parser with and without the mode, the labels built from
// it, and the 0x24/57/58/59 reply parsers on the same bytes read as a reply.
// Each line is copied into a buffer of its exact size, so any read past its
// end shows under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/SpecialModes.h"
#include "demos/tolling/TollingMonitor.h"
#include "protocol/Hex.h"

namespace {

using namespace corvalis;

class NullView final : public TollingView {
 public:
  void AddIncomingLine(std::string_view) override {}
  void ShowReportError(std::string_view) override {}
  void ShowReport(const TollingReportTexts&) override {}
  void ShowModeLabel(const std::string&) override {}
  void ShowCredit(uint32_t) override {}
  void ShowTariffs(const TollingTariffs&) override {}
  void ShowReadPoints(const TollingReadPoints&) override {}
  void ShowTimeouts(const std::array<int, kTollingTimeouts>&) override {}
};

// The line as the command sender would hand it on: its own length and code
// bytes, however they disagree with what follows.
void AsReply(TollingMonitor& monitor, const std::vector<char>& line) {
  const int length = static_cast<int>(line.size()) - 1;  // the NUL
  if (length < 8) return;
  uint8_t dataLength = 0;
  uint8_t code = 0;
  if (!ReadHexByte(line.data() + 4, dataLength) || !ReadHexByte(line.data() + 6, code)) return;
  ReplyView reply;
  reply.text = line.data();
  reply.length = length;
  reply.dataLength = dataLength;
  reply.code = code;
  reply.data = line.data() + 8;
  monitor.TakeReply(reply);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SpecialModes modes;
  modes.SwitchOn(SpecialMode::Tolling);
  NullView view;
  TollingMonitor monitor(modes, view);
  size_t start = 0;
  bool modeInMessage = true;
  while (start < size) {
    const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data + start, '\n', size - start));
    const size_t length = end != nullptr ? static_cast<size_t>(end - (data + start)) : size - start;
    std::vector<char> line(data + start, data + start + length);
    monitor.SetModeInMessage(modeInMessage);
    monitor.ObserveMessage(0, line.data(), static_cast<int>(line.size()));
    DescribeTollingReport(
        ParseTollingReport(line.data(), static_cast<int>(line.size()), !modeInMessage));
    line.push_back('\0');
    AsReply(monitor, line);
    modeInMessage = !modeInMessage;
    start += length + 1;
  }
  return 0;
}
