#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace corvalis::readersim {

// Fault injection of the read/write controller, see Options.
struct RwFaults {
  int dropReplies = 0;        // the first k replies to read/write commands are lost
  int lateMs = 0;             // every read/write reply comes this late
  int corruptDigits = 0;      // a page read back has its first n digits changed
  bool otherChannel = false;  // the tag exchanges are answered on the second link
};

// A read/write controller with one 16-page tag in its field, in both
// generations. The tag memory is real: a write changes what later reads
// return. Its TTO transmit period follows the trim in page 15.
class RwController {
 public:
  static constexpr int kPages = 16;

  explicit RwController(const RwFaults& faults = {});

  // True when `cc` is one of the controller's commands; then the replies
  // (each CR LF ended) are queued for `nowMs` (plus the late time).
  bool Handle(int readerId, int ll, int cc, const std::vector<uint8_t>& data, int64_t nowMs);
  // The fixed first-generation transmit line.
  void Transmit1G(int readerId, int64_t nowMs);

  // Replies due by `nowMs`, in order; with the other-channel fault the tag
  // exchanges' replies go to `elsewhere`.
  void TakeDue(int64_t nowMs, std::vector<std::string>& out, std::vector<std::string>& elsewhere);
  // The next reply's due time, -1 when none waits.
  int64_t NextDueMs() const { return queue_.empty() ? -1 : queue_.front().dueMs; }

  const std::string& Page(int page) const { return pages_[static_cast<size_t>(page & 15)]; }
  void SetPage(int page, const std::string& data) { pages_[static_cast<size_t>(page & 15)] = data; }
  // The period count "0038" reports: 670000 / count is the rate in k.
  int TtoPeriod() const;
  bool Suspended() const { return suspended_; }
  const std::string& BufferPage(int page) const {
    return pageBuffer_[static_cast<size_t>(page & 15)];
  }

 private:
  struct Pending {
    int64_t dueMs;
    std::string text;
    bool elsewhere;
  };
  // Only the tag exchanges' replies are lost to --rw-drop or sent to the
  // other channel; the controller's own settings and status always answer.
  void Queue(std::string text, int64_t nowMs, bool droppable = true);
  void Reply(int readerId, uint8_t code, const std::vector<uint8_t>& data, int64_t nowMs,
             bool droppable = true);
  // The tag's answer to a command word (command, page A, pages B).
  void RunTagCommand(int command, int page, bool secondGen, int64_t nowMs);
  std::string ReadBack(int page) const;
  std::string StatusData() const;

  RwFaults faults_;
  std::array<std::string, kPages> pages_;
  std::string writeData_ = "0000000000000000";
  uint16_t loadedWord_ = 0;
  int lastCommand_ = -1;
  std::string targetId_ = "000000000000";
  bool suspended_ = false;
  int period4_ = 45;
  uint8_t options_ = 0;
  uint8_t dataCrc_ = 0;
  // The multi-page transmit's page buffer, by page number, and the match
  // mask.
  std::array<std::string, kPages> pageBuffer_;
  std::string mask_ = "0000000000000000";
  std::deque<Pending> queue_;
};

}  // namespace corvalis::readersim
