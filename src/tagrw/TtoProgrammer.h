#pragma once

#include <optional>
#include <string>

#include "control/ReaderConfiguration.h"
#include "protocol/CommandHooks.h"
#include "protocol/ReaderCommandSender.h"
#include "tagrw/TagRwTest.h"
#include "tagrw/TtoConfig.h"

namespace corvalis {

// What the programmer asks of the program around it: the tag table and the
// incoming memo are cleared at each new tag, and the tab redraws.
class TtoHost {
 public:
  virtual ~TtoHost() = default;
  virtual void ClearTagsAndMemo() = 0;
  virtual void TtoChanged() = 0;
  // A read changed the ID panel. Busy readers call this thousands of times a
  // second, so the tab may redraw later, once for many.
  virtual void TtoIdSeen() = 0;
};

// Programs TTO tags on a bench: the ID in page 0 and the configuration in
// page 15 of the page test, the rate poll and its feedback.
class TtoProgrammer final : public ReplyRoute {
 public:
  static constexpr int kUntrimmedPeriod4 = 89;  // "ut"
  static constexpr int kNormalPeriod4 = 45;     // "nor"
  static constexpr int kTagBaud128k = 2;
  static constexpr int kTagBaud256k = 3;
  static constexpr int kRateReplyCode = 0x38;

  TtoProgrammer(TagRwTest& test, ReaderCommandSender& commands, ReaderConfiguration& config);
  ~TtoProgrammer() override;
  TtoProgrammer(const TtoProgrammer&) = delete;
  TtoProgrammer& operator=(const TtoProgrammer&) = delete;

  void SetHost(TtoHost* host) { host_ = host; }
  PageCrcChoice& crcChoice() { return crc_; }

  // Page 0 and page 15 of the page test are the ID and the configuration.
  const std::string& Id() const { return test_.pages()[0].data; }
  const std::string& Config() const { return test_.pages()[15].data; }
  void SetId(std::string_view id) { test_.pages()[0].data = LowerCase(id); }
  void SetConfig(std::string_view config) { test_.pages()[15].data = LowerCase(config); }
  const std::string& InvertedId() const { return invertedId_; }

  // The rate buttons: "0117" + Period/4, then with a tag baud code (0 to 3)
  // the tag-baud sequence. The last Period/4 chosen is the one "&Test" sends.
  void SelectRate(int period4, std::optional<int> tagBaud = std::nullopt);
  int ChosenPeriod4() const { return chosenPeriod4_; }

  // "Set&up": the bench format and ignore-CRC in the first generation, then
  // the test stopped, RF on, the tags and memo cleared.
  void Setup();
  void Next();
  void Again();
  // `period4`: the Period/4 of the chosen rate button.
  void Test(int period4);
  void Program();
  void WriteId();
  void WriteConfig();
  void ReadId();
  void ReadConfig();
  void Faster();
  void Slower();
  void Load(const TtoConfig& commanderFields);
  void CopyBias();  // digits 5 and 6 read back into the configuration
  // Recomputes the CRCs of pages 0 to 14.
  void RecomputeCrcs();
  void StopPolling() { poller_.Stop(); }
  // Leaving the tab: no more polls, and the rate shown is no longer live.
  void Leave() {
    poller_.Stop();
    hasRate_ = false;
  }
  // Double-click on the configuration read back: with "TOTAL" its first six
  // digits and "ebffff0001", then stop and resume; else the page as read.
  void TakeConfigReadBack(bool total);
  bool Polling() const { return poller_.Polling(); }

  // Every 100 ms tick; sends "0038" when a poll is due.
  void Tick();
  void TakeReply(const ReplyView& reply) override;

  // Every decoded tag read's 16-digit ID. kNone leaves the ID panel as it
  // was (a page test on another page runs); the others say how to colour it.
  enum class IdMatch { kNone, kOwnId, kInverted, kOther };
  IdMatch IdSeen(std::string_view id);
  const std::string& LastIdSeen() const { return lastIdSeen_; }
  IdMatch LastIdMatch() const { return lastMatch_; }

  double Rate() const { return rate_; }
  RateBand Band() const { return band_; }
  bool HasRate() const { return hasRate_; }

 private:
  void SendRate(int period4);
  void StartPolling();
  void ReadOnce(int page);
  void Changed();

  TagRwTest& test_;
  ReaderCommandSender& commands_;
  ReaderConfiguration& config_;
  TtoHost* host_ = nullptr;
  PageCrcChoice crc_;
  RatePoller poller_;
  std::string invertedId_;
  std::string lastIdSeen_;
  IdMatch lastMatch_ = IdMatch::kNone;
  int chosenPeriod4_ = kNormalPeriod4;
  double rate_ = 0;
  RateBand band_ = RateBand::kLow;
  bool hasRate_ = false;
};

}  // namespace corvalis
