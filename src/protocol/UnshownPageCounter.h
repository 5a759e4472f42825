#pragma once

#include <cstdint>

#include "protocol/ReadSinks.h"

namespace corvalis {

// Page data has no display yet: reads with a data flag and the pages of "ae"
// messages end here. Counting them lets the operator see that such data came
// in and went unshown, instead of it vanishing without a trace.
class UnshownPageCounter final : public DataPageHandler {
 public:
  void HandleDataPage(const TagRead&) override { ++count_; }
  int64_t Count() const { return count_; }

 private:
  int64_t count_ = 0;
};

}  // namespace corvalis
