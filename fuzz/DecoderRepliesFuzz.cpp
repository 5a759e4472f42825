// Feeds arbitrary text to the decoder status (0x2b), configuration (0x3b)
// and error-count (0x45) reply parsers with the length byte taken from the
// input, so lengths that disagree with the text are covered.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "control/DecoderControl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int dataLength = data[0];
  const std::string_view hex(reinterpret_cast<const char*>(data + 1), size - 1);

  const corvalis::DecoderStatus status = corvalis::ParseDecoderStatus(hex, dataLength);
  volatile size_t sink = status.versionText.size() + status.ioText.size();
  if (status.config) sink = sink + static_cast<size_t>(*status.TagBaudIndex());
  if (const auto config = corvalis::ParseDecoderConfig(hex, dataLength)) {
    sink = sink + corvalis::SendConfigBody(*config).size();
  }
  if (const auto counts = corvalis::ParseErrorCounts(hex, dataLength)) {
    sink = sink + static_cast<size_t>((*counts)[5]);
  }
  (void)sink;
  return 0;
}
