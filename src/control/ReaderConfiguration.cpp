#include "control/ReaderConfiguration.h"

#include <algorithm>
#include <utility>

#include "common/ChannelIndex.h"
#include "control/CommandConsole.h"
#include "protocol/ReaderCommandSender.h"

namespace corvalis {

namespace {
constexpr int kDecoderCodes[] = {0x2b, 0x3b, 0x45};
constexpr char kSequenceBusy[] = "A command sequence is still running";
}  // namespace

ReaderConfiguration::ReaderConfiguration(ReaderCommandSender& sender, CommandConsole& console,
                                         const ChannelWriter& channels)
    : sender_(sender),
      console_(console),
      sequence_(sender),
      timedRf_(sender),
      multiplex_(sender, channels),
      decoder_(sender, console.deferred(), channels) {
  for (const int code : kDecoderCodes) sender_.AddReplyRoute(code, this);
  console_.catalogueData().tagBaud = static_cast<uint8_t>(settings_.tagBaud);
  console_.catalogueData().eventTimeout = static_cast<uint8_t>(settings_.eventTimeout);
}

ReaderConfiguration::~ReaderConfiguration() {
  for (const int code : kDecoderCodes) sender_.RemoveReplyRoute(code, this);
}

void ReaderConfiguration::AddListener(ReaderConfigListener* listener) {
  listeners_.push_back(listener);
}

void ReaderConfiguration::RemoveListener(ReaderConfigListener* listener) {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void ReaderConfiguration::Send(int channel, int readerId, const std::string& body) {
  if (IsValidChannel(channel)) console_.SendReaderCommand(channel, readerId, body);
}

bool ReaderConfiguration::StartSequence(int channel, int readerId,
                                        std::vector<std::string> bodies) {
  if (!IsValidChannel(channel) || !sequence_.Start(channel, readerId, std::move(bodies))) {
    return false;
  }
  // A closed channel ends it at once; the windows hear it like any other end.
  if (!sequence_.Running()) NotifySequenceEnded();
  sequenceRunning_ = sequence_.Running();
  return true;
}

void ReaderConfiguration::SetTagBaudCode(int baudCode) {
  settings_.tagBaud = baudCode & 3;
  console_.catalogueData().tagBaud = static_cast<uint8_t>(settings_.tagBaud);
}

bool ReaderConfiguration::SetTagBaud(int channel, int readerId, int baudCode) {
  SetTagBaudCode(baudCode);
  return StartSequence(channel, readerId, TagBaudBodies(settings_.tagBaud));
}

void ReaderConfiguration::SendMessageMode(int channel, int readerId, int mode) {
  settings_.messageMode = mode;
  Send(channel, readerId, MessageModeBody(mode, settings_.eventTimeout));
}

std::string ReaderConfiguration::SendAllFilters(int channel, int readerId) {
  const FilterPlan plan = SendAllPatterns(settings_.filters);
  if (!plan.message.empty() || !IsValidChannel(channel)) return plan.message;
  DeferredCommandQueue& queue = console_.deferred();
  queue.Clear();
  console_.SendReaderCommand(channel, readerId, plan.now);
  for (const QueuedSlot& slot : plan.queued) queue.SetSlot(slot.slot, channel, readerId, slot.body);
  queue.Start(plan.countdown);
  return {};
}

void ReaderConfiguration::SetHopTarget(int channel, int readerId) {
  hopChannel_ = channel;
  hopReaderId_ = readerId;
}

TimingAnswer ReaderConfiguration::AskTiming(int offDelay, int offTime) {
  if (!NeedsTimingQuestion(offDelay, offTime) || question_ == nullptr) {
    return TimingAnswer::kNotAsked;
  }
  // The question box runs its own event loop; the ticks inside it must not
  // send another plan or ask again.
  asking_ = true;
  const TimingAnswer answer = question_->AskNonStandardTiming();
  asking_ = false;
  return answer;
}

std::string ReaderConfiguration::SendHopBodies(const BuiltBodies& built) {
  if (built.Refused()) return built.message;
  if (!IsValidChannel(hopChannel_)) return {};
  if (!StartSequence(hopChannel_, hopReaderId_, built.bodies)) return kSequenceBusy;
  return {};
}

std::string ReaderConfiguration::SendCustomPlan() {
  // The plan is checked before the operator is asked anything, so a refused
  // plan neither asks nor sends.
  const BuiltBodies checked = CustomHoppingBodies(hopPlan_, TimingAnswer::kNotAsked);
  if (checked.Refused()) return checked.message;
  if (sequence_.Running() || asking_) return kSequenceBusy;
  return SendHopBodies(
      CustomHoppingBodies(hopPlan_, AskTiming(hopPlan_.offDelay, hopPlan_.offTime)));
}

std::string ReaderConfiguration::SendCePlan(int dwell, int offDelay, int offTime) {
  if (sequence_.Running() || asking_) return kSequenceBusy;
  return SendHopBodies(CeHoppingBodies(dwell, offDelay, offTime, AskTiming(offDelay, offTime)));
}

std::string ReaderConfiguration::SweepTo(int position) {
  sweep_.SetPosition(position);
  hopPlan_.startMhz = sweep_.FrequencyText();
  std::string message = SendCustomPlan();
  for (ReaderConfigListener* listener : listeners_) listener->SweepStepped();
  return message;
}

void ReaderConfiguration::SetDecoderTarget(int channel, int readerId) {
  decoderChannel_ = channel;
  decoderReaderId_ = readerId;
}

void ReaderConfiguration::NotifySequenceEnded() {
  for (ReaderConfigListener* listener : listeners_) listener->SequenceEnded(sequence_.StatusText());
}

void ReaderConfiguration::NotifyRf() {
  const bool running = timedRf_.Running() || multiplex_.Running();
  if (!running && !rfWasRunning_) return;
  rfWasRunning_ = running;
  for (ReaderConfigListener* listener : listeners_) listener->RfStateChanged();
}

void ReaderConfiguration::Tick() {
  if (sequence_.Running()) sequence_.Tick();
  // An error reply ends a sequence between ticks; the windows hear of it here.
  if (sequenceRunning_ && !sequence_.Running()) NotifySequenceEnded();
  sequenceRunning_ = sequence_.Running();
  timedRf_.Tick();
  multiplex_.Tick();
  NotifyRf();
  if (decoderAuto_.Tick() && IsValidChannel(decoderChannel_)) {
    decoder_.UpdateStatus(decoderChannel_, decoderReaderId_);
  }
  if (!asking_ && sweep_.Tick()) {
    hopPlan_.startMhz = sweep_.FrequencyText();
    SendCustomPlan();
    for (ReaderConfigListener* listener : listeners_) listener->SweepStepped();
  }
}

void ReaderConfiguration::TakeReply(const ReplyView& reply) {
  decoder_.TakeReply(reply.code,
                     std::string_view(reply.data, static_cast<size_t>(2 * reply.dataLength)),
                     reply.dataLength);
  // The configuration read back also sets the tag baud the menu and panel use.
  if (reply.code == 0x3b && decoder_.Config()) {
    settings_.tagBaud = decoder_.Config()->tagBaud;
  } else if (reply.code == 0x2b && decoder_.Status().TagBaudIndex()) {
    settings_.tagBaud = *decoder_.Status().TagBaudIndex();
  }
  console_.catalogueData().tagBaud = static_cast<uint8_t>(settings_.tagBaud);
  for (ReaderConfigListener* listener : listeners_) listener->DecoderReplyTaken(reply.code);
}

}  // namespace corvalis
