#pragma once

#include <string>

namespace corvalis {

// The Hopping tab's sweep: steps the custom plan's starting frequency through
// a band, in integer kHz. Each position that changes asks the caller to send
// the custom plan for FrequencyText().
class HoppingSweep {
 public:
  // Bottom and top in MHz (840 to 960), step in kHz.
  void SetBand(int bottomMhz, int topMhz, int stepKhz);
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetPosition(int position);
  // The starting frequency of the current position, in MHz as a plain
  // decimal number ("840.05").
  std::string FrequencyText() const;
  int FrequencyKhz() const;

  // Automatic stepping every `interval` ticks (0: off).
  void SetInterval(int ticks);
  int Interval() const { return interval_; }
  // The player's Pause: the countdown stops, the interval stays.
  void Pause() { countdown_ = 0; }
  bool Stepping() const { return countdown_ > 0; }
  void SetDown(bool down) { down_ = down; }
  bool Down() const { return down_; }
  void SetAutoReverse(bool on);
  void SetLoop(bool on);
  // One 100 ms tick; true when a step (or flip or wrap) was made and the
  // plan is due.
  bool Tick();

 private:
  void Step();
  int bottomKhz_ = 840000;
  int topKhz_ = 960000;
  int stepKhz_ = 100;
  int max_ = 1;
  int position_ = 0;
  int interval_ = 0;
  int countdown_ = 0;
  bool down_ = false;
  bool autoReverse_ = false;
  bool loop_ = false;
};

}  // namespace corvalis
