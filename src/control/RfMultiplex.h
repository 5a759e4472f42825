#pragma once

#include "protocol/MessageDispatcher.h"

namespace corvalis {

// Gives RF to one reader at a time among channels 1 to 4 (indexes 0..3),
// reader ID 0 (broadcast), for `period` ticks of 100 ms each.
class RfMultiplex {
 public:
  RfMultiplex(CommandSender& sender, const ChannelWriter& channels)
      : sender_(sender), channels_(channels) {}
  void Start(int periodTicks);
  // RF off to the current channel.
  void Stop();
  void Tick();
  bool Running() const { return running_; }
  int CurrentChannel() const { return current_; }
  // True once the first period has ended.
  bool Switched() const { return switched_; }

 private:
  CommandSender& sender_;
  const ChannelWriter& channels_;
  bool running_ = false;
  int period_ = 1;
  int count_ = 0;
  int current_ = 0;
  bool switched_ = false;
};

// The Diagnostics tab's stepper: refuses to start without a log file, since
// its snapshots would be written nowhere.
class SteppingRun {
 public:
  // False (nothing starts) when no log file is open or could be chosen.
  bool Start(bool logFileOpen, int edge, int stepLimit);
  void Stop() { running_ = false; }
  // One tick of the half-period timer: the level to send; sets `snapshot`
  // when the new level equals the edge (the records are flushed then).
  int Tick(bool& snapshot);
  bool Running() const { return running_; }
  int Steps() const { return steps_; }

 private:
  bool running_ = false;
  int level_ = 0;
  int edge_ = 0;
  int steps_ = 0;
  int limit_ = 360;
};

}  // namespace corvalis
