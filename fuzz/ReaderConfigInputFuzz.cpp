// Feeds arbitrary operator text to the checks of the reader configuration
// windows' typed fields (message-format bytes, filter patterns, typed
// bodies, hop frequencies). Whatever is typed, a body that is built must be
// well-formed hexadecimal: a malformed body would reach the reader.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "control/ReaderConfigBodies.h"

namespace {

void CheckBuilt(const corvalis::BuiltBodies& built) {
  for (const std::string& body : built.bodies) {
    if (!corvalis::IsHexBody(body)) __builtin_trap();
  }
  if (built.Refused() && !built.bodies.empty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Fields separated by newlines, as if typed into one control each.
  std::vector<std::string> fields;
  size_t start = 0;
  while (start <= text.size() && fields.size() < 8) {
    const size_t end = text.find('\n', start);
    fields.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  fields.resize(8);

  corvalis::MessageFormatFields format;
  for (size_t i = 0; i < format.typed.size(); ++i) format.typed[i] = fields[i];
  CheckBuilt(corvalis::MessageFormatBody(format));
  CheckBuilt(corvalis::FilterBody(0x30, fields[0]));
  CheckBuilt(corvalis::TypedBody(fields[1]));
  const corvalis::FilterPlan plan =
      corvalis::SendAllPatterns({fields[0], fields[1], fields[2], fields[3]});
  if (plan.message.empty() && !corvalis::IsHexBody(plan.now)) __builtin_trap();

  corvalis::CustomHopPlan hop;
  hop.startMhz = fields[4];
  hop.channels = size > 0 ? data[0] : 1;
  hop.spaces = size > 1 ? data[1] % 32 : 1;
  hop.widthKhz = size > 2 ? 50 * (data[2] % 6) : 100;
  hop.offDelay = size > 3 ? data[3] % 20 : 15;
  CheckBuilt(corvalis::CustomHoppingBodies(hop, corvalis::TimingAnswer::kKeep));
  (void)corvalis::ParseMhzToKhz(fields[5]);
  return 0;
}
