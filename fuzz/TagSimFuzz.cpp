// What the operator and scripts type for the tag simulator and the Multi
// Page tab (IDs, CRC seeds, Use Text), and the page-buffer read-back lines
// from the controller.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tagrw/MultiPage.h"
#include "tagrw/TagSimCommands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvalis;
  const std::string text(reinterpret_cast<const char*>(data), size);
  size_t sum = 0;
  for (bool crc : {false, true}) {
    if (const auto id = ParseSimTagId(text, crc)) {
      sum += SimSendIdBody(*id, crc, 0xFFFF).size();
      sum += SimSetTagBody(static_cast<int>(size), *id, crc, "0000").size();
    }
    const PackedText packed = PackTextIntoPages(text, crc, MultiPageCrcKind::kCcitt);
    for (const std::string& page : packed.pages) sum += page.size() == 16 ? 0 : 1;
  }
  if (const auto seed = ParseSimCrcSeed(text)) sum += FormatSimCrcSeed(*seed).size();
  const BufferPage page = BufferPageOfReply(text);
  sum += page.page >= 0 ? page.data.size() : 0;
  return static_cast<int>(sum & 0);
}
