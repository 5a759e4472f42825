#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Clock.h"
#include "script/firmware/DownloadLines.h"

namespace corvalis {

inline constexpr int kLoaderBaud = 9600;
inline constexpr int kReplyTimeoutMs = 2000;
inline constexpr int kRetryLimitDefault = 10;
inline constexpr int kRetryLimitMax = 500;
inline constexpr int kIncomingLinesKept = 100;
inline constexpr const char* kDecoderIBody = "011000";
inline constexpr const char* kDecoderQBody = "011001";

enum class BootCommand { kBoot, kReset };

// The channel side of the download: raw writes, the serial line speed and the
// reader commands that start the boot loader.
class DownloadPort {
 public:
  virtual ~DownloadPort() = default;
  virtual bool IsOpen(int channel) const = 0;
  virtual bool WriteRaw(int channel, const char* bytes, int count) = 0;
  // 0 when the channel is not a serial port.
  virtual int BaudRate(int channel) const = 0;
  virtual void SetBaudRate(int channel, int baud) = 0;
  virtual void SendCommand(int channel, int readerId, std::string_view body) = 0;
  // The catalogue's Boot or Reset command.
  virtual void SendPredefined(int channel, int readerId, BootCommand command) = 0;
};

// What the download tab shows.
class DownloadView {
 public:
  virtual ~DownloadView() = default;
  virtual void ShowStatusMessage(std::string_view text) = 0;
  virtual void ShowSentLine(std::string_view line, int resendCount) = 0;
  virtual void ShowIncoming(std::string_view text) = 0;
  virtual void ShowState() = 0;  // sending, erasing, capture or receive mode changed
  virtual void CloseNoReplyNotice() = 0;
};

// Talks to a PIC boot loader: keeps it awake with "LO" lines, sends HEX
// records one at a time and acts on its one-character answers.
class FirmwareDownload {
 public:
  FirmwareDownload(const Clock& clock, DownloadPort& port) : clock_(clock), port_(port) {}

  void SetView(DownloadView* view) { view_ = view; }
  void SetChannel(int channel) { channel_ = channel; }
  int Channel() const { return channel_; }
  void SetReaderId(int readerId) { readerId_ = readerId; }
  void SetSet9600(bool on) { set9600_ = on; }
  void SetRetryLimit(int limit);
  void SetSource(DownloadLineSource* source) { source_ = source; }

  // "Boot" / "Reset": capture and receive mode on, then the reader command.
  void Boot(BootCommand command);
  // "I" / "Q": receive mode on, then the decoder's boot command.
  void BootDecoder(bool decoderQ);
  void ToggleCapture();

  // "&Send": starts sending from the first line. "Send &One" sends the next
  // line without starting a run; "Resend" the current line again.
  void StartSending();
  void SendOne();
  void Resend();
  void StartErasing();
  void StopSending();

  // Every 500 ms: the "LO" stream and the answer time-out.
  void Tick();

  // While on, the channel's bytes belong here instead of the line framing.
  bool ReceiveMode() const { return receiveMode_; }
  bool IsRunningOn(int channel) const { return receiveMode_ && channel == channel_; }
  // Bytes from the channel; returns how many were taken. An answer that ends
  // receive mode ends the taking after its line end.
  int Receive(const char* bytes, int count);

  bool Sending() const { return sending_; }
  bool Erasing() const { return erasing_; }
  bool Capturing() const { return capture_; }
  int ResendCount() const { return resendCount_; }
  int LinesSent() const { return linesSent_; }
  const std::string& CurrentLine() const { return line_; }

 private:
  void Act(char answer);
  bool SendNextLine();
  bool NextRecord(std::string& record);
  bool NextEraseRecord(std::string& record);
  void WriteCurrentLine();
  void RetryOrAbort();
  void StopCapture();
  void RememberBaud();
  void RestoreBaud();
  void SetReceiveMode(bool on);
  void Status(std::string_view text);
  void Changed();

  const Clock& clock_;
  DownloadPort& port_;
  DownloadView* view_ = nullptr;
  DownloadLineSource* source_ = nullptr;
  int channel_ = 0;
  int readerId_ = 0;
  bool set9600_ = true;
  int retryLimit_ = kRetryLimitDefault;

  bool sending_ = false;
  bool erasing_ = false;
  bool receiveMode_ = false;
  bool capture_ = false;
  std::string line_;
  int resendCount_ = 0;
  int linesSent_ = 0;
  bool awaitingAnswer_ = false;
  WallTime answerDeadline_{};
  long eraseAddress_ = 0;
  int savedBaud_ = 0;  // 0: nothing to restore
  char lastChar_ = 0;
};

}  // namespace corvalis
