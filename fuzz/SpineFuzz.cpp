// Feeds arbitrary bytes through the whole receive path: appends of random
// sizes on random channels, cutting, dispatch, every decoder and the tag
// table with its names and pass closing, and the command sender's reply
// check with its wait and routes, under a format chosen from the input's
// first bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "common/Clock.h"
#include "common/StatusReporter.h"
#include "protocol/ReaderCommandSender.h"
#include "protocol/ReceiveSpine.h"
#include "tags/TagNames.h"
#include "tags/TagTable.h"

namespace {

using namespace corvalis;

// Reads the fields of what reaches it so the sanitizers see any bad value.
class CheckingSink final : public DataPageHandler, public TagDataDisplay, public PassCompleter {
 public:
  void CompletePass(TagRecord& pass) override {
    sum += pass.count + static_cast<int>(std::strlen(pass.nameText) + std::strlen(pass.hexId));
    pass.logged = 1;
  }
  void HandleDataPage(const TagRead& page) override { Touch(page); }
  void ShowTagData(const TagDataReport& report) override { sum += report.dataCount; }

  void Touch(const TagRead& read) {
    sum += read.count + read.channel + read.readerId + read.iCount + read.qCount;
    sum += static_cast<int>(std::strlen(read.text));
    if (read.channel < 0 || read.channel >= kChannelCount) __builtin_trap();
  }
  int sum = 0;
};

class OpenChannels final : public ChannelWriter {
 public:
  bool IsOpen(int) const override { return true; }
  void WriteToChannel(int, const char* bytes, int count) override {
    for (int i = 0; i < count; ++i) sum += bytes[i];
  }
  int sum = 0;
};

// A routed reply's data must lie inside its line.
class CheckingRoute final : public ReplyRoute {
 public:
  void TakeReply(const ReplyView& reply) override {
    if (reply.data != reply.text + 8 || 8 + 2 * reply.dataLength > reply.length) __builtin_trap();
    for (int i = 0; i < 2 * reply.dataLength; ++i) sum += reply.data[i];
  }
  int sum = 0;
};

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  size_t Remaining() const { return size_ - pos_; }
  const uint8_t* Take(size_t n) {
    const uint8_t* at = data_ + pos_;
    pos_ += n;
    return at;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

void ChooseFormat(Input& in, MessageFormat& format) {
  FormatBytes bytes;
  bytes.flags1 = in.Byte();
  bytes.idMask = in.Byte();
  bytes.asciiHeader1 = in.Byte() & 1 ? 'a' : 0;
  bytes.asciiHeader2 = in.Byte() & 1 ? 'a' : 0;
  bytes.binHeader1 = in.Byte();
  bytes.binHeader2 = in.Byte() & 1 ? 0x55 : 0;
  bytes.trailer1 = in.Byte() & 1 ? 0x0D : in.Byte();
  bytes.trailer2 = in.Byte() & 1 ? 0x0A : in.Byte();
  bytes.separator = in.Byte() & 1 ? ',' : 0;
  bytes.flags2 = in.Byte();
  const uint8_t mode = in.Byte();
  if (mode & 1) {
    format.binary = (mode & 2) != 0;
    format.wideKey = (mode & 4) != 0;
    format.ApplyFormatBytes(bytes);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  ManualClock clock;
  SilentStatus status;
  ProtocolSettings settings;
  const uint8_t options = in.Byte();
  settings.sumAllPorts = (options & 1) != 0;
  settings.whichChannels = (options >> 1) & 3;
  settings.compositeOutput = (options & 8) != 0;
  settings.defaultNames = (options & 16) != 0;
  settings.crcSeed = (options & 32) != 0 ? 0xFFFF : 0x0000;

  auto spine = std::make_unique<ReceiveSpine>(settings, clock, status);

  CheckingSink sink;
  OpenChannels channels;
  // The table's arrays are large: make them once and empty them per input.
  static ManualClock tableClock;
  static TagTable* const table = new TagTable(tableClock);
  tableClock = clock;
  table->ClearTagCounters();
  table->ClearSeenTable();
  // The program starts each second's ID count afresh; without that the
  // shared table would sum every input's reads.
  table->ResetIdsThisSecond();
  table->hooks() = TagTableHooks{};
  static TagNames* const names = new TagNames(512);
  names->Clear();
  names->SetAutoRegister((options & 64) != 0);
  table->hooks().nameLookup = names;
  table->hooks().passCompleter = &sink;
  table->hooks().dataPageHandler = &sink;
  table->settings().waitTime = (options & 128) != 0 ? -300 : 300;
  spine->decoder.SetTagReadSink(table);
  spine->decoder.SetDataPageHandler(&sink);
  spine->decoder.SetTagDataDisplay(&sink);
  spine->dispatcher.SetChannelWriter(&channels);
  ReaderCommandSender sender(spine->formats, status);
  sender.SetChannelWriter(&channels);
  CheckingRoute route;
  for (int code = 0; code < 256; ++code) sender.AddReplyRoute(code, &route);
  spine->dispatcher.SetCommandSender(&sender);
  spine->dispatcher.SetReplyHandler(&sender);

  for (int channel = 0; channel < kChannelCount; ++channel) {
    ChooseFormat(in, spine->formats.format[channel]);
    const uint8_t f = in.Byte();
    const uint8_t g = in.Byte();
    const uint16_t m = static_cast<uint16_t>(in.Byte() << 8 | in.Byte());
    spine->formats.composite[channel] = CompositeFormat::Derive(f, g, m);
  }

  // The rest: runs of bytes, each with a channel, a transport and a length.
  char scratch[kRxBufferSize + 1];
  while (in.Remaining() > 0) {
    const uint8_t control = in.Byte();
    const int channel = control % kChannelCount;
    const size_t n = std::min<size_t>(in.Byte() * 8u + (control >> 5), in.Remaining());
    const auto* bytes = reinterpret_cast<const char*>(in.Take(n));
    switch ((control >> 3) & 3) {
      case 0:
      case 1:
        spine->framer.AppendTcp(channel, bytes, static_cast<int>(n));
        break;
      case 2: {
        // A command whose reply is awaited, then a message offered directly,
        // as log import and scripts do.
        if (control & 4) sender.SendCommand(channel, control & 0x41, "2b");
        std::memcpy(scratch, bytes, n);
        spine->dispatcher.DispatchMessage(1, channel, scratch, static_cast<int>(n));
        break;
      }
      case 3: {
        std::memcpy(scratch, bytes, n);
        scratch[n] = '\0';
        const int len = static_cast<int>(n);
        auto& decoder = spine->decoder;
        decoder.DecodeFormatMessage(channel, scratch, len);
        decoder.DecodeMultiIdMessage(channel, scratch, len);
        decoder.DecodeCompositeMessage(channel, scratch, len);
        decoder.DecodeTagDataMessage(channel, scratch, len);
        decoder.DecodeTtoDataMessage(channel, scratch, len);
        break;
      }
    }
    if (control & 0x80) {
      tableClock.AdvanceMs(100);
      spine->framer.Tick();
      sender.Tick();
      table->FlushPasses((control & 0x20) != 0);
      if ((control & 0x27) == 0x27) table->RemoveSeenEntriesOlderThan(200);
    }
    if (control & 0x40) spine->dispatcher.RunFormatQueryTick();
  }
  return 0;
}
