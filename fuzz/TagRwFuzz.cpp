// The tag read/write parsers on arbitrary reader lines: the RW status and
// options replies, tag data lines, the TTO rate reply and configuration page,
// and the page comparison and increment on what came back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tagrw/PageHex.h"
#include "tagrw/RwExchange.h"
#include "tagrw/RwStatus.h"
#include "tagrw/TtoConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvalis;
  const std::string line(reinterpret_cast<const char*>(data), size);
  size_t sum = 0;
  if (const auto status = ParseRwStatus(line)) sum += status->target.size() + status->code.size();
  if (const auto options = ParseRwOptions(line)) sum += options->options;
  const std::string page = PageDataOf(line);
  sum += static_cast<size_t>(ComparePage("00000000ffff0000", page));
  sum += IncrementHex(page).size() + DecrementHex(line).size() + InvertHex(line).size();
  if (const auto period = TtoPeriodOf(line)) sum += static_cast<size_t>(BandOf(TtoRate(*period)));
  if (const auto config = ParseTtoConfig(page)) sum += ComposeTtoConfig(*config).size();
  sum += PageWithCrc(line, {}).size() + StepTrim(line, 4).size();
  return static_cast<int>(sum & 0);
}
