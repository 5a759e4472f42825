#include "script/ScriptCapture.h"

namespace corvalis {

void ScriptCapture::Record(int channel, const char* bytes, int count) {
  if (channel < 0 || channel >= kRecordedChannels || count <= 0) return;
  if (!recording[static_cast<size_t>(channel)]) return;
  std::string& text = recorded[static_cast<size_t>(channel)];
  text.append(bytes, static_cast<size_t>(count));
  if (text.size() > kRecordedInputMax) text.erase(0, text.size() - kRecordedInputMax);
}

}  // namespace corvalis
