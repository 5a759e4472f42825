#pragma once

#include <string>
#include <vector>

#include "control/CommandSequence.h"
#include "control/DecoderControl.h"
#include "control/HoppingSweep.h"
#include "control/ReaderConfigBodies.h"
#include "control/RfMultiplex.h"
#include "control/TimedRf.h"
#include "protocol/CommandHooks.h"

namespace corvalis {

class CommandConsole;
class ReaderCommandSender;

// The reader settings the configuration windows keep in memory only.
struct ReaderConfigSettings {
  int tagBaud = 1;  // 0 = 32k .. 3 = 256k
  int messageMode = 0;
  int eventTimeout = 5;
  int beepDuration = 3;  // units of 10 ms
  FilterValues filters;
};

// What the configuration windows hear from the logic; every call has an
// empty default so a window takes only what it shows.
class ReaderConfigListener {
 public:
  virtual ~ReaderConfigListener() = default;
  // A command sequence ended (done, error reply, time-out, not sent).
  virtual void SequenceEnded(const std::string& /*status*/) {}
  // A decoder reply (0x2b, 0x3b or 0x45) was parsed.
  virtual void DecoderReplyTaken(int /*code*/) {}
  // The hopping sweep moved to a new position.
  virtual void SweepStepped() {}
  // Timed RF or multiplexing changed its count or ended.
  virtual void RfStateChanged() {}
};

// Asks the operator about non-standard hop timing (Yes/No/Cancel).
class HopTimingQuestion {
 public:
  virtual ~HopTimingQuestion() = default;
  virtual TimingAnswer AskNonStandardTiming() = 0;
};

// The logic behind the "&Reader Control" menu, the reader control panels,
// the RF controls, the Hopping tab and the Decoder Control tab: the one
// command sequence, Timed RF, multiplexing, the hopping sweep and the
// decoder's replies. Runs from the context's 100 ms tick, window or not.
class ReaderConfiguration final : public ReplyRoute {
 public:
  ReaderConfiguration(ReaderCommandSender& sender, CommandConsole& console,
                      const ChannelWriter& channels);
  ~ReaderConfiguration() override;
  ReaderConfiguration(const ReaderConfiguration&) = delete;
  ReaderConfiguration& operator=(const ReaderConfiguration&) = delete;

  void AddListener(ReaderConfigListener* listener);
  void RemoveListener(ReaderConfigListener* listener);
  void SetTimingQuestion(HopTimingQuestion* question) { question_ = question; }

  ReaderConfigSettings& settings() { return settings_; }
  const ReaderConfigSettings& settings() const { return settings_; }

  // A framed body on a channel 0..4; anything else sends nothing.
  void Send(int channel, int readerId, const std::string& body);
  // Bodies one after another, each after the reply to the one before. False
  // (nothing sent) while another sequence runs.
  bool StartSequence(int channel, int readerId, std::vector<std::string> bodies);
  const CommandSequence& sequence() const { return sequence_; }

  // The panel's radio buttons: the code [41], [42] and [50] carry.
  void SetTagBaudCode(int baudCode);
  // "T&ag Baud": stores the code and runs I decoder, controller, Q decoder.
  bool SetTagBaud(int channel, int readerId, int baudCode);
  // Message mode [43] with the stored event timeout.
  void SendMessageMode(int channel, int readerId, int mode);
  // "Send All patterns"; the message when a stored value is refused.
  std::string SendAllFilters(int channel, int readerId);

  // Hopping: the Custom plan as the tab shows it; its channel and reader.
  CustomHopPlan& hopPlan() { return hopPlan_; }
  void SetHopTarget(int channel, int readerId);
  // Custom, validated first; the message when refused.
  std::string SendCustomPlan();
  std::string SendCePlan(int dwell, int offDelay, int offTime);
  HoppingSweep& sweep() { return sweep_; }
  // A track-bar move: the plan for that position is sent at once; the
  // message when it is refused.
  std::string SweepTo(int position);

  // Timed RF and multiplexing of the Tags Seen tab.
  TimedRf& timedRf() { return timedRf_; }
  RfMultiplex& multiplex() { return multiplex_; }

  // Decoder Control: commands go to the commander channel and reader ID.
  DecoderControlCommands& decoder() { return decoder_; }
  void SetDecoderTarget(int channel, int readerId);
  int DecoderChannel() const { return decoderChannel_; }
  int DecoderReaderId() const { return decoderReaderId_; }
  void SetDecoderAutoInterval(int seconds) { decoderAuto_.SetInterval(seconds); }

  // One 100 ms tick, after the sender's and the deferred queue's.
  void Tick();

  void TakeReply(const ReplyView& reply) override;

 private:
  std::string SendHopBodies(const BuiltBodies& built);
  TimingAnswer AskTiming(int offDelay, int offTime);
  void NotifyRf();
  void NotifySequenceEnded();

  ReaderCommandSender& sender_;
  CommandConsole& console_;
  ReaderConfigSettings settings_;
  CommandSequence sequence_;
  TimedRf timedRf_;
  RfMultiplex multiplex_;
  DecoderControlCommands decoder_;
  DecoderAutoUpdate decoderAuto_;
  HoppingSweep sweep_;
  CustomHopPlan hopPlan_;
  HopTimingQuestion* question_ = nullptr;
  std::vector<ReaderConfigListener*> listeners_;
  int hopChannel_ = 0;
  int hopReaderId_ = 0;
  int decoderChannel_ = 0;
  int decoderReaderId_ = 0;
  bool rfWasRunning_ = false;
  bool sequenceRunning_ = false;
  bool asking_ = false;
};

}  // namespace corvalis
