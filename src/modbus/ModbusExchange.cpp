#include "modbus/ModbusExchange.h"

#include <algorithm>

namespace corvalis {
namespace {

constexpr int kIdReplyLength = 17;
constexpr int kReadBackLength = 11;
constexpr int kExceptionBit = 0x80;
constexpr std::string_view kNoTag = "0000000000000000";

const char* ExceptionText(int code) {
  switch (code) {
    case 1:
      return "illegal function";
    case 2:
      return "illegal data address";
    case 3:
      return "illegal data value";
    case 4:
      return "server device failure";
    default:
      return "exception";
  }
}

}  // namespace

bool ModbusExchange::Press(ModbusOp op, int channel, int unit, const ModbusFields& fields) {
  // Leftovers of an earlier reply must not shift the next one.
  assembler_.Clear();
  EndRequest();
  response_.clear();
  if (view_ != nullptr) view_->ShowResponse(response_);
  if (!IsValidChannel(channel)) return false;

  const ModbusRequest request = BuildModbusRequest(op, unit, fields);
  if (view_ != nullptr)
    view_->ShowRequest(HexBytesText(request.bytes.data(), request.length, false));
  if (op == ModbusOp::kExitModbusMode) SetEavesdrop(false, 0);
  if (!link_.WriteModbus(channel, request.bytes.data(), request.length)) return false;

  outstanding_ = true;
  channel_ = channel;
  expectedLength_ = request.expectedReply;
  readRegister_ = request.readRegister;
  replyTicks_ = kModbusReplyTicks;
  assembler_.Expect(request.functionCode);
  NoteWriteDone(op);
  return true;
}

bool ModbusExchange::WantsBytes(int channel) const {
  return eavesdrop_ || (outstanding_ && channel == channel_);
}

void ModbusExchange::Receive(int channel, const char* bytes, int count) {
  if (!IsValidChannel(channel) || bytes == nullptr || count <= 0) return;
  if (eavesdrop_) resyncTicks_ = eavesdropDelay_;
  passOnBuffer_.clear();
  const auto reject = [this](uint8_t byte) { passOnBuffer_ += static_cast<char>(byte); };
  int taken = 0;
  while (taken < count && WantsBytes(channel)) {
    if (assembler_.Push(static_cast<uint8_t>(bytes[taken++]), reject)) Complete(channel);
  }
  if (assembler_.Held() > 0) {
    response_ = HexBytesText(assembler_.Bytes(), assembler_.Held(), true);
    if (view_ != nullptr) view_->ShowResponse(response_);
  }
  passOnBuffer_.append(bytes + taken, static_cast<size_t>(count - taken));
  if (passOn_ != nullptr && !passOnBuffer_.empty()) {
    passOn_->PassOnBytes(channel, passOnBuffer_.data(), static_cast<int>(passOnBuffer_.size()));
  }
}

void ModbusExchange::Complete(int channel) {
  const uint8_t* reply = assembler_.Bytes();
  const int length = assembler_.Held();
  const int function = reply[7];
  response_ = HexBytesText(reply, length, true);
  if (view_ != nullptr) view_->ShowResponse(response_);

  if ((function & kExceptionBit) != 0) {
    TakeException(reply);
    log_.WriteReply(LogPrefix(channel) + response_);
  } else if (length == kIdReplyLength && function == 4 && reply[8] == 8) {
    TakeTagReply(channel, reply);
  } else {
    if (length == kReadBackLength && function == 3 && reply[8] == 2) TakeReadBack(reply);
    log_.WriteReply(LogPrefix(channel) + response_);
  }
  if (outstanding_ && channel == channel_) {
    if (length != expectedLength_ && (function & kExceptionBit) == 0 && view_ != nullptr) {
      view_->ShowStatus("Unexpected Modbus reply length " + std::to_string(length));
    }
    EndRequest();
  }
  assembler_.Clear();
}

void ModbusExchange::TakeTagReply(int channel, const uint8_t* reply) {
  const std::string id = HexBytesText(reply + 9, 8, false);
  std::string compact;
  for (char c : id) {
    if (c != ' ') compact += c;
  }
  auto& empties = emptyReplies_[static_cast<size_t>(channel)];
  if (compact == kNoTag) {
    ++empties;
    if (view_ != nullptr) view_->ShowEmptyReply();
    log_.NoteEmptyReply(LogPrefix(channel) + response_);
    return;
  }
  empties = 0;
  const std::string line = LocalTimeText(clock_.Now()) + " " + compact;
  tagLines_.push_back(line);
  const bool firstSeen =
      std::find(uniqueTags_.begin(), uniqueTags_.end(), compact) == uniqueTags_.end();
  if (firstSeen) uniqueTags_.push_back(compact);
  if (view_ != nullptr) view_->ShowTag(line, compact, firstSeen);
  log_.WriteReply(LogPrefix(channel) + response_ + ", " + compact);
}

void ModbusExchange::TakeReadBack(const uint8_t* reply) {
  if (readRegister_ == 0) return;
  const int value = (reply[9] << 8) | reply[10];
  if (view_ != nullptr) view_->ShowReadBack(readRegister_, value);
  readRegister_ = 0;
}

void ModbusExchange::TakeException(const uint8_t* reply) {
  if (view_ == nullptr) return;
  const int code = reply[8];
  view_->ShowStatus("Modbus exception " + std::to_string(code) + " (" + ExceptionText(code) + ")");
}

void ModbusExchange::Tick() {
  if (outstanding_ && --replyTicks_ <= 0) {
    // Whatever was held is no reply; it goes back to the line path.
    if (passOn_ != nullptr && assembler_.Held() > 0) {
      passOn_->PassOnBytes(channel_, reinterpret_cast<const char*>(assembler_.Bytes()),
                           assembler_.Held());
    }
    assembler_.Clear();
    EndRequest();
    if (view_ != nullptr) view_->ShowStatus("No Modbus reply");
  }
  if (eavesdrop_ && resyncTicks_ > 0 && --resyncTicks_ == 0) assembler_.Clear();
}

void ModbusExchange::SecondTick() {
  log_.CheckHour(clock_.Now(), newFileHour_);
}

void ModbusExchange::SetEavesdrop(bool on, int delayTicks) {
  eavesdrop_ = on;
  eavesdropDelay_ = std::max(delayTicks, 1);
  resyncTicks_ = on ? eavesdropDelay_ : 0;
}

void ModbusExchange::ClearTags() {
  tagLines_.clear();
  uniqueTags_.clear();
}

void ModbusExchange::EndRequest() {
  outstanding_ = false;
  readRegister_ = 0;
  replyTicks_ = 0;
  assembler_.Expect(0);
}

void ModbusExchange::NoteWriteDone(ModbusOp op) {
  if (op == ModbusOp::kWriteIpAddress) addressWritten_ = true;
  if (op == ModbusOp::kWriteIpPort) portWritten_ = true;
  if (op == ModbusOp::kWriteIpBoth || (addressWritten_ && portWritten_)) doItEnabled_ = true;
  if (op == ModbusOp::kDoIt) {
    doItEnabled_ = false;
    addressWritten_ = false;
    portWritten_ = false;
  }
}

std::string ModbusExchange::LogPrefix(int channel) const {
  const WallTime now = clock_.Now();
  return link_.ChannelText(channel) + ", " + LocalDateText(now) + ", " + LocalTimeText(now) + ", ";
}

}  // namespace corvalis
