#include "script/firmware/FirmwareDownload.h"

#include <algorithm>

#include "script/firmware/HexRecord.h"

namespace corvalis {
namespace {

constexpr char kXon = 0x11;
constexpr long kEraseLastAddress = 32766;
constexpr long kEraseStep = 64;
constexpr std::string_view kKeepAwake = "LO\r\n";

std::string EraseRecord(long address) {
  const uint8_t blank[4] = {0xff, 0xff, 0xff, 0xff};
  return FormatHexRecord(static_cast<uint16_t>(address), 0, blank, address == 0 ? 4 : 2) + "\r\n";
}

std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  return line;
}

}  // namespace

void FirmwareDownload::SetRetryLimit(int limit) {
  retryLimit_ = std::clamp(limit, 0, kRetryLimitMax);
}

void FirmwareDownload::Boot(BootCommand command) {
  capture_ = true;
  SetReceiveMode(true);
  if (set9600_) RememberBaud();
  port_.SendPredefined(channel_, readerId_, command);
  Changed();
}

void FirmwareDownload::BootDecoder(bool decoderQ) {
  SetReceiveMode(true);
  port_.SendCommand(channel_, readerId_, decoderQ ? kDecoderQBody : kDecoderIBody);
  Changed();
}

void FirmwareDownload::ToggleCapture() {
  if (capture_) {
    StopCapture();
    // While records are going out the loader's answers must still come here.
    if (!sending_) {
      SetReceiveMode(false);
      RestoreBaud();
    }
  } else {
    capture_ = true;
  }
  Changed();
}

void FirmwareDownload::StartSending() {
  if (source_ == nullptr) return;
  StopCapture();
  if (!source_->Rewind()) {
    Status("Unable to open file for reading");
    Changed();
    return;
  }
  erasing_ = false;
  sending_ = true;
  linesSent_ = 0;
  SetReceiveMode(true);
  if (set9600_ && port_.BaudRate(channel_) > 0) {
    RememberBaud();
    if (port_.BaudRate(channel_) != kLoaderBaud) port_.SetBaudRate(channel_, kLoaderBaud);
  }
  Changed();
  SendNextLine();
}

void FirmwareDownload::StartErasing() {
  StopCapture();
  erasing_ = true;
  sending_ = true;
  eraseAddress_ = 0;
  linesSent_ = 0;
  SetReceiveMode(true);
  Changed();
  SendNextLine();
}

void FirmwareDownload::SendOne() {
  if (source_ == nullptr) return;
  SetReceiveMode(true);
  if (!source_->IsOpen() && !source_->Rewind()) return;
  std::string record;
  if (!NextRecord(record)) {
    source_->Close();
    Changed();
    return;
  }
  line_ = std::move(record);
  resendCount_ = 0;
  WriteCurrentLine();
}

void FirmwareDownload::Resend() {
  if (!line_.empty()) WriteCurrentLine();
}

void FirmwareDownload::StopSending() {
  sending_ = false;
  erasing_ = false;
  awaitingAnswer_ = false;
  SetReceiveMode(false);
  // The loader's speed stays for the whole run and goes back only here.
  if (set9600_) RestoreBaud();
  Changed();
}

void FirmwareDownload::Tick() {
  if (capture_ && port_.IsOpen(channel_)) {
    if (set9600_ && port_.BaudRate(channel_) > 0 && port_.BaudRate(channel_) != kLoaderBaud) {
      RememberBaud();
      port_.SetBaudRate(channel_, kLoaderBaud);
    }
    port_.WriteRaw(channel_, kKeepAwake.data(), static_cast<int>(kKeepAwake.size()));
  }
  if (sending_ && awaitingAnswer_ && MillisBetween(answerDeadline_, clock_.Now()) >= 0)
    RetryOrAbort();
}

int FirmwareDownload::Receive(const char* bytes, int count) {
  if (bytes == nullptr || count <= 0) return 0;
  int taken = count;
  for (int i = 0; i < count; ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n' || c == kXon) {
      if (c != kXon && view_ != nullptr) view_->CloseNoReplyNotice();
      const char answer = lastChar_;
      lastChar_ = c;
      Act(answer);
      if (!receiveMode_) {
        // The run is over: what follows the answer's line end is the
        // reader's again (the new firmware's first tag lines).
        if (c == '\r' && i + 1 < count && bytes[i + 1] == '\n') ++i;
        taken = i + 1;
        break;
      }
    } else {
      lastChar_ = c;
    }
  }
  if (view_ != nullptr) view_->ShowIncoming(std::string_view(bytes, static_cast<size_t>(taken)));
  return taken;
}

void FirmwareDownload::Act(char answer) {
  switch (answer) {
    case 'O':
    case 'L':
    case 'R':
      Status(answer == 'O' ? "OK" : answer == 'L' ? "Loader Overwrite Error" : "Range Error");
      awaitingAnswer_ = false;
      if (sending_) SendNextLine();
      break;
    case 'S':
    case 'U':
      Status(answer == 'S' ? "Checksum Error" : "Unknown block type error - resending!");
      if (sending_) RetryOrAbort();
      break;
    case 'N':
    case 'V':
      Status(answer == 'N' ? "Non blank target Error - Aborting!" : "Verify Error - Aborting!");
      awaitingAnswer_ = false;
      if (sending_) StopSending();
      break;
    case 'Z':
      Status("Done!");
      awaitingAnswer_ = false;
      if (sending_) StopSending();
      if (source_ != nullptr) source_->Close();
      Changed();
      break;
    default:
      break;
  }
}

bool FirmwareDownload::SendNextLine() {
  std::string record;
  if (!NextRecord(record)) {
    if (source_ != nullptr && !erasing_) source_->Close();
    StopSending();
    return false;
  }
  line_ = std::move(record);
  resendCount_ = 0;
  WriteCurrentLine();
  return true;
}

bool FirmwareDownload::NextRecord(std::string& record) {
  if (erasing_) return NextEraseRecord(record);
  if (source_ == nullptr) return false;
  std::string raw;
  while (source_->NextLine(raw)) {
    record = DownloadRecordLine(raw);
    if (!record.empty()) return true;
  }
  return false;
}

bool FirmwareDownload::NextEraseRecord(std::string& record) {
  if (eraseAddress_ > kEraseLastAddress) return false;
  record = EraseRecord(eraseAddress_);
  eraseAddress_ += kEraseStep;
  return true;
}

void FirmwareDownload::WriteCurrentLine() {
  port_.WriteRaw(channel_, line_.data(), static_cast<int>(line_.size()));
  ++linesSent_;
  awaitingAnswer_ = true;
  answerDeadline_ = clock_.Now();
  answerDeadline_.sec += kReplyTimeoutMs / 1000;
  if (view_ != nullptr) view_->ShowSentLine(WithoutLineEnd(line_), resendCount_);
}

void FirmwareDownload::RetryOrAbort() {
  if (++resendCount_ > retryLimit_) {
    Status("Too Many Retries - Aborting");
    StopSending();
    return;
  }
  WriteCurrentLine();
}

void FirmwareDownload::StopCapture() {
  capture_ = false;
}

void FirmwareDownload::RememberBaud() {
  const int baud = port_.BaudRate(channel_);
  if (baud > 0 && savedBaud_ == 0) savedBaud_ = baud;
}

void FirmwareDownload::RestoreBaud() {
  if (savedBaud_ > 0 && port_.BaudRate(channel_) != savedBaud_)
    port_.SetBaudRate(channel_, savedBaud_);
  savedBaud_ = 0;
}

void FirmwareDownload::SetReceiveMode(bool on) {
  receiveMode_ = on;
}

void FirmwareDownload::Status(std::string_view text) {
  if (view_ != nullptr) view_->ShowStatusMessage(text);
}

void FirmwareDownload::Changed() {
  if (view_ != nullptr) view_->ShowState();
}

}  // namespace corvalis
