#include "logging/timing/TimingTap.h"

#include "common/ChannelIndex.h"
#include "protocol/TagMessageDecoder.h"

namespace corvalis {

TimingTap::TimingTap(SpecialMode mode, SpecialModes& modes, const ChannelFormats& formats,
                     TagNameLookup* names, StatusReporter& status)
    : mode_(mode), modes_(modes), formats_(formats), ranking_(names, status) {}

void TimingTap::SetChannelSelected(int channel, bool selected) {
  if (channel >= 0 && channel < kReaderChannelCount) selected_[channel] = selected;
}

bool TimingTap::ChannelSelected(int channel) const {
  return channel >= 0 && channel < kReaderChannelCount && selected_[channel];
}

void TimingTap::SetHourClock(bool on) {
  recorder_.SetHourClock(on);
  ranking_.SetHourClock(on);
}

bool TimingTap::StartRecording(const std::string& path, std::string& error) {
  if (!recording_.Open(path, TextFile::Mode::Append)) {
    error = "Could not open file (" + path + ") for output!";
    return false;
  }
  recorder_.Reset();
  return true;
}

void TimingTap::StopRecording() {
  recording_.Close();
}

void TimingTap::Clear() {
  if (mode_ == SpecialMode::MsTimingRanking) {
    ranking_.Clear();
    if (view_ != nullptr) view_->RankingChanged();
  }
}

void TimingTap::ObserveMessage(int channel, const char* text, int length) {
  if (modes_.IsOn(mode_)) TapFrame(channel, text, length);
}

void TimingTap::TapFrame(int channel, const char* frame, int length) {
  if (!ChannelSelected(channel)) return;
  const MessageFormat& format = formats_.format[channel];
  if (!format.msTiming || format.binary) return;
  TimingRead read;
  const TimingParse parsed = ParseTimingRead(frame, length, format.msTimingP, read);
  if (parsed == TimingParse::NotTiming) return;

  const bool jumpBack = havePrevious_ && IsTimingJumpBack(previousHourTime_, read);
  havePrevious_ = true;
  previousHourTime_ = read.hourTime;
  if (view_ != nullptr) view_->AddListLine(FormatTimingListLine(read) + (jumpBack ? ", *" : ",  "));
  if (recording_.IsOpen()) {
    recording_.Write(
        recorder_.RecordLine(std::string_view(frame, static_cast<size_t>(length)), read, jumpBack));
  }
  if (mode_ == SpecialMode::MsTimingRanking && !read.IsReference()) {
    ranking_.AddRead(read, parsed == TimingParse::Ok);
    if (view_ != nullptr) view_->RankingChanged();
  }
}

}  // namespace corvalis
