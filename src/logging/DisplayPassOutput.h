#pragma once

#include "logging/PassOutputs.h"
#include "tags/display/ExternalDisplay.h"

namespace corvalis {

// Hands the name of each completed pass to the external display.
class DisplayPassOutput final : public ExternalDisplayOutput {
 public:
  explicit DisplayPassOutput(ExternalDisplay& display) : display_(display) {}
  bool Selected() const override { return display_.Selected(); }
  bool ShowName(std::string_view name, const TagRecord&) override {
    return display_.ShowOnDisplay(name);
  }

 private:
  ExternalDisplay& display_;
};

}  // namespace corvalis
