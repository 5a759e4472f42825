#pragma once

#include <array>
#include <memory>
#include <string>

#include "common/StatusReporter.h"
#include "control/CommandConsole.h"
#include "protocol/ReaderCommandSender.h"
#include "script/Expect.h"
#include "tagrw/PageHex.h"
#include "tagrw/RwExchange.h"

namespace corvalis {

struct RwPage {
  std::string data = "0000000000000000";  // to write / expected back
  bool write = false;
  bool read = false;
  std::string readBack = "0000000000000000";
  PageResult result = PageResult::kNone;
  bool writing = false;  // aqua while its write runs
};

struct RwTestOptions {
  bool continuous = false;
  bool testBed = false;
  bool inc = false;
  bool susp = false;
  bool skipRedWrites = false;  // "X"
  bool uncheckGreen = false;
  bool uncheckYellow = false;
  bool useId = false;
  bool secondGen = false;
};

struct RwCounters {
  int lime = 0;       // lblNumGreen
  int darkGreen = 0;  // green and teal, lblNumDarkGreen
  int yellow = 0;
  int red = 0;
  int Total() const { return lime + darkGreen + yellow + red; }
};

// What the tab shows; the logic calls it after every change.
class TagRwView {
 public:
  virtual ~TagRwView() = default;
  virtual void TagRwChanged() = 0;
  // After five failed reads in a row.
  virtual void ShowCrcReminder() = 0;
};

// Pages 0 and 15 read back, for the TTO programmer.
class TtoPageSink {
 public:
  virtual ~TtoPageSink() = default;
  virtual void TtoPageRead(int page, const std::string& data) = 0;
};

// The read/write tag test: which pages to write and read, the options, the
// step evaluator that chains the exchanges page by page, the results and
// counters.
class TagRwTest {
 public:
  TagRwTest(ExpectList& expects, ReaderCommandSender& commands, CommandConsole& console,
            StatusReporter& status, TransmitSequence& sequence);
  ~TagRwTest();
  TagRwTest(const TagRwTest&) = delete;
  TagRwTest& operator=(const TagRwTest&) = delete;

  void SetView(TagRwView* view) { view_ = view; }
  void SetTtoSink(TtoPageSink* sink) { tto_ = sink; }

  std::array<RwPage, kTagPages>& pages() { return pages_; }
  // A page's write data set from another tab or a script; the view follows.
  void SetPageData(int page, std::string_view data);
  const std::array<RwPage, kTagPages>& pages() const { return pages_; }
  RwTestOptions& options() { return options_; }
  const RwCounters& counters() const { return counters_; }
  void ClearCounters() { counters_ = {}; }

  // The commander's channel, reader ID and tag ID text.
  void SetTarget(int channel, int readerId, std::string_view tagId);
  int Channel() const { return channel_; }
  int ReaderId() const { return readerId_; }

  // False (with a status text) when a page in use does not hold 16 hex
  // digits; nothing is sent then.
  bool StartAll();
  bool StartPage(int page);
  // Ends after the exchange that is running.
  void Stop();
  bool Running() const { return running_; }
  int CurrentPage() const { return page_; }
  int Passes() const { return passes_; }

  // Suspend ("0125a0") and resume ("0125e0").
  void SendSuspend();
  void SendResume();
  // Presets.
  void IdPreset();
  void Learn();
  void ReadPreset();
  void WritePreset();
  void WriteEnablePreset();
  // First generation: the bench message format and ignore-CRC, each waited
  // for ("Learn" and the TTO programmer's "Set&up").
  void SendBenchFormat();
  // RF on [31] and off [32].
  void RfOn();
  void RfOff();

  // Data tools.
  void FillPages(char digit);
  void CopyPageZeroDown();
  void FillByPageNumber();
  void IncrementPages();
  void CopyReadsToData();
  void ClearReads();
  void SetAllWrite(bool on);
  void SetAllRead(bool on);
  // Unchecks write and read of every page whose result is green (lime,
  // green, teal) or, with `yellow`, yellow.
  void UncheckByResult(bool yellow);

  // The 12 digits a first-generation exchange addresses.
  std::string TagId12() const;
  // The last finished exchange's data line, for the tests.
  const std::string& LastLine() const { return lastLine_; }

 private:
  enum class Last { kStart, kSuspend, kWrite, kRead };
  bool Validate();
  bool Start(bool single, int page);
  void Step();
  void AfterRead(const ExchangeOutcome& outcome);
  // Starts the suspend, write or read of `page_`; false when nothing is to
  // be done there.
  bool BeginPage(bool allowSuspend);
  void PageDone();
  void Exchange(ExchangeKind kind);
  void End();
  void Changed();
  ExchangeMachine& MachineFor(ExchangeKind kind);
  void ReadAllPages(bool continuous);

  ExpectList& expects_;
  ReaderCommandSender& commands_;
  CommandConsole& console_;
  StatusReporter& status_;
  TagRwView* view_ = nullptr;
  TtoPageSink* tto_ = nullptr;
  std::array<RwPage, kTagPages> pages_;
  RwTestOptions options_;
  RwCounters counters_;
  std::array<std::unique_ptr<ExchangeMachine>, 6> exchanges_;
  StateMachine& driver_;
  ExchangeMachine* current_ = nullptr;
  Last last_ = Last::kStart;
  int channel_ = 0;
  int readerId_ = 0;
  std::string tagId_;
  bool running_ = false;
  bool single_ = false;
  bool stopRequested_ = false;
  bool continuous_ = false;
  int page_ = -1;
  int passes_ = 0;
  int idlePasses_ = 0;
  bool exchangeThisPass_ = false;
  int failuresInRow_ = 0;
  std::string lastLine_;
};

}  // namespace corvalis
