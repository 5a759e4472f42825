#include "app/ScriptReceiveTaps.h"

#include "script/ScriptInterpreter.h"
#include "tagrw/TtoProgrammer.h"

namespace corvalis {
namespace {

int PageOf(const TagRead& page) {
  return page.dataFlag & 0x0F;
}

}  // namespace

void ScriptReceiveTaps::TagSeen(std::string_view hexId) {
  interpreter_.OnScriptTagID(hexId);
  if (tto_ != nullptr) tto_->IdSeen(hexId);
}

void ScriptReceiveTaps::HandleDataPage(const TagRead& page) {
  interpreter_.OnScriptDataPage(PageOf(page), page.text, true);
  if (next_ != nullptr) next_->HandleDataPage(page);
}

void ScriptReceiveTaps::HandleBadDataPage(const TagRead& page) {
  interpreter_.OnScriptDataPage(PageOf(page), page.text, false);
}

}  // namespace corvalis
