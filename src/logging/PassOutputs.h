#pragma once

#include <cstdint>
#include <string_view>

#include "tags/TagRecord.h"

namespace corvalis {

// The special outputs that want one event per completed pass. Each is owned
// by its window; the log writer only calls what has been registered.

class ExternalDisplayOutput {
 public:
  virtual ~ExternalDisplayOutput() = default;
  // The output port drives a display ("OutputPortUse" is "DISPLAY").
  virtual bool Selected() const = 0;
  // Shows the tag's name; true when it was sent.
  virtual bool ShowName(std::string_view name, const TagRecord& pass) = 0;
};

class DemonstrationOutput {
 public:
  virtual ~DemonstrationOutput() = default;
  virtual bool Running() const = 0;
  // Takes the pass and returns the pass's new outputSent mark.
  virtual uint8_t HandlePass(TagRecord& pass) = 0;
};

// A pass as it is complete for those outside the console: with its name and
// the depot, as its log line would show them.
struct CompletedPass {
  const TagRecord& pass;
  std::string_view name;
  std::string_view depot;
};

// Hears each pass once, when it would be logged (more reads than the noise
// limit), whether or not a log file is open.
class PassObserver {
 public:
  virtual ~PassObserver() = default;
  virtual void PassCompleted(const CompletedPass& completed) = 0;
};

}  // namespace corvalis
