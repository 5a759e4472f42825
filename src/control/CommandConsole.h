#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "common/Clock.h"
#include "control/DeferredCommandQueue.h"

namespace corvalis {

class ChannelWriter;
class ReaderCommandSender;

// Catalogue indexes the other windows use by name.
enum PredefinedIndex : int {
  kGetDateTime = 0,
  kSetDateTime = 1,
  kGetStats = 2,
  kSetConfiguration = 3,
  kXon = 18,
  kXoff = 19,
  kRfOn = 31,
  kRfOff = 32,
  kAuxOn = 33,
  kAuxOff = 34,
  kBoot = 35,
  kReset = 36,
  kSetTagFilter = 40,
  kTagBaudI = 41,
  kTagBaudQ = 42,
  kMessageMode = 43,
  kWiegandOutput = 44,
  kSetReaderId = 45,
  kDecoderRegisterI = 46,
  kDecoderRegisterQ = 47,
  kDecoderRegisterI2 = 48,
  kDecoderRegisterQ2 = 49,
  kTagBaudController = 50,
};
// readerId + this asks for the extended date/time forms.
inline constexpr int kExtendedDateTime = 500;
// Items of the Diagnostics tab's command list (indexes 0..19).
inline constexpr int kMessageListItems = 20;

// The reader serial settings chosen in the "Decoder Comms Settings" dialog.
struct DecoderCommsChoice {
  bool ascii = true;
  int baudItem = 1;  // "4800" .. "115200"
  int flowItem = 0;  // "None", "DTR", "Xon/Xoff"

  int BaudCode() const { return baudItem + 1; }
  int FlowCode() const { return flowItem == 1 ? 3 : flowItem == 2 ? 2 : 0; }
  uint8_t ConfigurationByte() const {
    return static_cast<uint8_t>(BaudCode() * 8 + FlowCode() * 2 + (ascii ? 1 : 0));
  }
};

// The bytes indexes 40..50 carry; the reader configuration windows own them
// and set them here before sending.
struct CatalogueData {
  std::array<uint8_t, 10> formatBytes{};
  uint8_t tagBaud = 0;
  uint8_t messageMode = 0;
  uint8_t eventTimeout = 0;
  uint8_t wiegandFlags = 0;
  uint8_t retransmitInterval = 0;
  uint8_t newReaderId = 0;
};

// What a catalogue index sends.
struct PredefinedCommand {
  enum class Kind { kNothing, kFramed, kSingleByte };
  Kind kind = Kind::kNothing;
  std::string body;  // kFramed: the body; kSingleByte: the one byte
};

// The body of catalogue `index`. `localTime` is the time the date/time
// commands carry, as seven decimal fields YY MM DD WD hh mm ss.
PredefinedCommand PredefinedCommandFor(int index, bool extended, const CatalogueData& data,
                                       const DecoderCommsChoice& comms,
                                       std::string_view dateTimeFields);

// Seven two-digit decimal fields of the local time at `secondsSince1970`:
// year mod 100, month, day, weekday (0 Sunday), hour, minute, second.
std::string DateTimeFields(int64_t secondsSince1970);

// While the script interpreter records a test, the commands a test would
// send are handed to it instead of the reader.
class CommandCapture {
 public:
  virtual ~CommandCapture() = default;
  virtual bool Capturing() const = 0;
  virtual void CaptureCommand(int channel, int readerId, std::string_view body) = 0;
};

// The extended Set/Get Date/Time last sent, for judging the reader's answer.
struct DateTimeSent {
  bool valid = false;
  int channel = -1;
  WallTime sent;
};

// The command console's sending side: the catalogue, bodies from byte
// values, typed free text, the deferred queue. Everything goes out through
// the one command sender.
class CommandConsole {
 public:
  CommandConsole(ReaderCommandSender& sender, const ChannelWriter& channels, const Clock& clock)
      : sender_(sender), channels_(channels), clock_(clock) {}

  void SetCapture(CommandCapture* capture) { capture_ = capture; }
  bool Capturing() const { return capture_ != nullptr && capture_->Capturing(); }

  CatalogueData& catalogueData() { return data_; }
  DecoderCommsChoice& commsChoice() { return comms_; }
  const DecoderCommsChoice& commsChoice() const { return comms_; }

  // Catalogue command `index` to `readerId` (readerId + kExtendedDateTime for
  // the extended date/time forms). On a closed channel the sender shows its
  // warning and nothing goes out.
  void SendPredefinedCommand(int channel, int readerId, int index);

  // A framed body, always to the reader.
  void SendReaderCommand(int channel, int readerId, std::string_view body);
  // A framed body the script recorder takes while it captures.
  void SendCapturable(int channel, int readerId, std::string_view body);

  // Body = length, `commandCode` and `values` up to the first one outside
  // 0..255.
  void SendReaderBytes(int channel, int readerId, int commandCode, std::span<const int> values);
  void SendReaderBytes(int channel, int readerId, int commandCode,
                       std::initializer_list<int> values) {
    SendReaderBytes(channel, readerId, commandCode,
                    std::span<const int>(values.begin(), values.size()));
  }

  // Unframed bytes; more than one arms the reply wait.
  void SendToChannel(int channel, std::string_view bytes);

  // The free-text send: escapes, the pending reader ID, the LRC fix and
  // CR LF unless `raw` (Shift). Channels outside 0..4 send nothing.
  void SendFreeText(int channel, std::string_view typed, bool raw);

  DeferredCommandQueue& deferred() { return deferred_; }
  // One 100 ms tick of the deferred queue.
  void TickDeferred();

  const DateTimeSent& LastDateTimeSent() const { return dateTimeSent_; }

 private:
  ReaderCommandSender& sender_;
  const ChannelWriter& channels_;
  const Clock& clock_;
  CommandCapture* capture_ = nullptr;
  CatalogueData data_;
  DecoderCommsChoice comms_;
  DeferredCommandQueue deferred_;
  DateTimeSent dateTimeSent_;
};

}  // namespace corvalis
