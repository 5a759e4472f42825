#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvalis::readersim {

// A reader running the road-tolling application: it keeps its mode, credit,
// tariffs, read points, time-outs and registration pages, echoes what it is
// set to, reads them back on "ff" queries, and tolls every tag that passes
// with simple rules of its own, sending one "a1" transaction report a pass.
class TollingReader {
 public:
  static constexpr int kClasses = 5;
  static constexpr int kTimeouts = 6;

  TollingReader() = default;
  TollingReader(int tags, bool modeInReport);

  // The reply to a tolling command (CR LF ended), or nothing when `cc` is
  // not one of them. `ll` is the length byte as sent (ff for a query).
  std::optional<std::string> Handle(int readerId, int ll, int cc, const std::vector<uint8_t>& data);

  // One pass of tag `tag` with ID `id` (16 hex digits): its pages change by
  // the current mode and the report line comes back, CR LF ended.
  std::string Pass(int tag, const std::string& id);

  int Mode() const { return mode_; }
  const std::string& Page1(int tag) const { return tags_[static_cast<size_t>(tag)].page1; }
  const std::string& Page2(int tag) const { return tags_[static_cast<size_t>(tag)].page2; }

 private:
  struct Tag {
    std::string page1;
    std::string page2;
  };

  bool modeInReport_ = true;
  int mode_ = 0;
  uint32_t credit_ = 0;
  int classes_ = kClasses;
  std::array<int, kClasses> tariffs_ = {500, 1000, 1500, 2000, 2500};
  int readPoint_ = 1;
  int focReadPoint_ = 255;
  std::array<uint8_t, kTimeouts> timeouts_ = {10, 200, 5, 100, 4, 2};
  std::optional<std::string> registered1_;
  std::optional<std::string> registered2_;
  std::vector<Tag> tags_;
};

}  // namespace corvalis::readersim
