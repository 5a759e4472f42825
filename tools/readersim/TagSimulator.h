#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace corvalis::readersim {

// A tag simulator on the line: a separate device with its own address that
// transmits tag signals. It keeps what it is told and acknowledges every
// command with the command's own code and data, so a console (or a test)
// sees exactly what arrived.
class TagSimulator {
 public:
  static constexpr int kStackSize = 128;

  // The framed acknowledgement (CR LF ended) of a command addressed to the
  // simulator; empty when `cc` is none of its commands or the length is wrong
  // (then an error reply is due).
  std::string Handle(int address, int ll, int cc, const std::vector<uint8_t>& data);

  const std::string& Id() const { return id_; }
  const std::string& StackId(int position) const {
    return stack_[static_cast<size_t>(position) % kStackSize];
  }
  int TagCount() const { return tagCount_; }
  int Algorithm() const { return algorithm_; }
  int Period4() const { return period4_; }
  int DelayCount() const { return delayCount_; }
  int TtoPages() const { return ttoPages_; }
  int Repeats() const { return repeats_; }
  bool NewIncrement() const { return newIncrement_; }
  bool Saved() const { return saved_; }
  bool TxOn() const { return txOn_; }

 private:
  std::string id_ = "0000000000000000";
  std::array<std::string, kStackSize> stack_{};
  int tagCount_ = 1;
  int algorithm_ = 0;
  int period4_ = 12;
  int delayCount_ = 0;
  int ttoPages_ = 0;
  int repeats_ = 0;
  bool newIncrement_ = true;
  bool saved_ = false;
  bool txOn_ = true;
};

}  // namespace corvalis::readersim
