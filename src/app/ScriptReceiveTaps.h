#pragma once

#include <string_view>

#include "protocol/ReadSinks.h"
#include "tags/TagTableHooks.h"

namespace corvalis {

class ScriptInterpreter;
class TtoProgrammer;

// The decoder side's events for the script: every tag the seen table hears
// (waitTagID) and every data page (waitData). A page's number is the low four
// bits of its data flag. Pages then go on to the handler that was there
// before; tags also go to the TTO programmer, which colours its ID panel.
class ScriptReceiveTaps final : public TagSeenListener, public DataPageHandler {
 public:
  ScriptReceiveTaps(ScriptInterpreter& interpreter, DataPageHandler* next)
      : interpreter_(interpreter), next_(next) {}

  void SetTtoProgrammer(TtoProgrammer* tto) { tto_ = tto; }

  void TagSeen(std::string_view hexId) override;
  void HandleDataPage(const TagRead& page) override;
  void HandleBadDataPage(const TagRead& page) override;

 private:
  ScriptInterpreter& interpreter_;
  DataPageHandler* next_;
  TtoProgrammer* tto_ = nullptr;
};

}  // namespace corvalis
