#include "RwController.h"

#include "ReplyBuilder.h"
#include "protocol/Hex.h"

namespace corvalis::readersim {
namespace {

constexpr int kCmdWrite = 3;
constexpr int kCmdRead = 4;
constexpr int kCmdSuspend = 5;
// A new tag's period count at trim "60"; each trim step takes 4 counts off.
constexpr int kUntrimmedPeriod = 2560;
constexpr int kPeriodPerTrimStep = 4;

char OtherDigit(char c) {
  return c == '0' ? '1' : '0';
}

}  // namespace

RwController::RwController(const RwFaults& faults) : faults_(faults) {
  pages_.fill("0000000000000000");
  pageBuffer_.fill("0000000000000000");
  pages_[15] = "d0006000ffff8001";
}

int RwController::TtoPeriod() const {
  uint8_t trim = 0x60;
  ReadHexByte(pages_[15].data() + 4, trim);
  return kUntrimmedPeriod - kPeriodPerTrimStep * (static_cast<int>(trim) - 0x60);
}

void RwController::Queue(std::string text, int64_t nowMs, bool droppable) {
  if (droppable && faults_.dropReplies > 0) {
    --faults_.dropReplies;
    return;
  }
  queue_.push_back({nowMs + faults_.lateMs, std::move(text), droppable && faults_.otherChannel});
}

void RwController::Reply(int readerId, uint8_t code, const std::vector<uint8_t>& data,
                         int64_t nowMs, bool droppable) {
  Queue(FrameReply(readerId, code, data), nowMs, droppable);
}

void RwController::TakeDue(int64_t nowMs, std::vector<std::string>& out,
                           std::vector<std::string>& elsewhere) {
  while (!queue_.empty() && queue_.front().dueMs <= nowMs) {
    (queue_.front().elsewhere ? elsewhere : out).push_back(std::move(queue_.front().text));
    queue_.pop_front();
  }
}

std::string RwController::ReadBack(int page) const {
  std::string data = Page(page);
  for (int i = 0; i < faults_.corruptDigits && i < static_cast<int>(data.size()); ++i)
    data[static_cast<size_t>(i)] = OtherDigit(data[static_cast<size_t>(i)]);
  return data;
}

void RwController::Transmit1G(int readerId, int64_t nowMs) {
  Reply(readerId, 0x16, {}, nowMs);
  const int command = loadedWord_ >> 13;
  RunTagCommand(command, (loadedWord_ >> 9) & 15, false, nowMs);
}

void RwController::RunTagCommand(int command, int page, bool secondGen, int64_t nowMs) {
  lastCommand_ = command;
  if (command == kCmdWrite) {
    pages_[static_cast<size_t>(page)] = writeData_;
    return;
  }
  if (command == kCmdSuspend) suspended_ = true;
  if (command != kCmdRead && command != kCmdSuspend) return;
  const std::string data = ReadBack(command == kCmdRead ? page : 0);
  // A suspended tag answers with its first page alone, in both generations.
  if (!secondGen || command == kCmdSuspend) {
    Queue(data + "\r\n", nowMs);
    return;
  }
  // "ad", "458", the page and its status, a CRC status of f, 9 or 6, the
  // reader's two digits, then the 16 data digits: 37 characters.
  std::string line = "ad458";
  line += kLowerHexDigits[page & 15];
  line += "000000000000f00";
  line += data;
  Queue(line + "\r\n", nowMs);
}

std::string RwController::StatusData() const {
  // Flags: data page expected, read success; then the options, the data
  // CRC, the command, pages, retries, command word and the target.
  std::string s = "05";
  s += "08";
  s += kLowerHexDigits[options_ >> 4];
  s += kLowerHexDigits[options_ & 15];
  s += kLowerHexDigits[dataCrc_ >> 4];
  s += kLowerHexDigits[dataCrc_ & 15];
  s += lastCommand_ < 0 ? "00" : std::string{'0', kLowerHexDigits[lastCommand_ & 15]};
  s += kLowerHexDigits[(loadedWord_ >> 9) & 15];
  s += kLowerHexDigits[(loadedWord_ >> 5) & 15];
  s += kLowerHexDigits[(loadedWord_ >> 9) & 15];
  s += "0";
  s += "02";
  const char word[5] = {
      kLowerHexDigits[loadedWord_ >> 12], kLowerHexDigits[(loadedWord_ >> 8) & 15],
      kLowerHexDigits[(loadedWord_ >> 4) & 15], kLowerHexDigits[loadedWord_ & 15], '\0'};
  s += word;
  s += targetId_;
  return s;
}

bool RwController::Handle(int readerId, int ll, int cc, const std::vector<uint8_t>& data,
                          int64_t nowMs) {
  auto bytesOf = [](const std::string& hex) {
    std::vector<uint8_t> out(hex.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) ReadHexByte(hex.data() + 2 * i, out[i]);
    return out;
  };
  switch (cc) {
    case 0x15:  // first generation: 00 word ID (load) or 01 data (write data)
      if (ll != 9) return false;
      if (data[0] == 0x01) {
        writeData_ = HexOf(data, 1, 8);
      } else {
        loadedWord_ = static_cast<uint16_t>(data[1] << 8 | data[2]);
        targetId_ = HexOf(data, 3, 6);
      }
      Reply(readerId, 0x15, {}, nowMs);
      return true;
    case 0x16:
      Transmit1G(readerId, nowMs);
      return true;
    case 0x20: {  // second generation transmit: seq, A, B, code, flags (+ ID)
      if (ll != 3 && ll != 11) return false;
      const int page = data[1] >> 4;
      const int pages = data[1] & 15;
      const int code = data[2] >> 4;
      loadedWord_ = static_cast<uint16_t>((code >> 1) << 13 | page << 9 | pages << 5);
      if (ll == 11) targetId_ = HexOf(data, 5, 6);
      Reply(readerId, 0x20, {}, nowMs);
      if ((code & 1) == 0) RunTagCommand(code >> 1, page, true, nowMs);
      return true;
    }
    case 0x2e: {  // page buffer: "092e" page + data stores, "f12e" page reads back
      if ((ll != 9 && ll != 0xf1) || data.empty()) return false;
      const int page = data[0] & 15;
      if (ll == 9) {
        pageBuffer_[static_cast<size_t>(page)] = HexOf(data, 1, 8);
        Reply(readerId, 0x2e, {data[0]}, nowMs, false);
        return true;
      }
      std::vector<uint8_t> reply = bytesOf(pageBuffer_[static_cast<size_t>(page)]);
      reply.insert(reply.begin(), data[0]);
      Reply(readerId, 0x2e, reply, nowMs, false);
      return true;
    }
    case 0x2d: {  // multi-page transmit: seq, A B, code flags (+ ID)
      if (ll != 3 && ll != 11) return false;
      const int first = data[1] >> 4;
      const int count = data[1] & 15;
      const int code = data[2] >> 4;
      if (ll == 11) targetId_ = HexOf(data, 5, 6);
      Reply(readerId, 0x2d, {}, nowMs);
      if (code >> 1 == kCmdWrite) {
        for (int p = first; p < first + count && p < kPages; ++p)
          pages_[static_cast<size_t>(p)] = pageBuffer_[static_cast<size_t>(p)];
      }
      return true;
    }
    case 0x22:  // match mask
      if (ll == 8) mask_ = HexOf(data, 0, 8);
      if (ll != 8 && ll != 0xff && ll != 0) return false;
      Reply(readerId, 0x22, bytesOf(mask_), nowMs, false);
      return true;
    case 0x21:
      if (ll != 8) return false;
      writeData_ = HexOf(data, 0, 8);
      Reply(readerId, 0x21, {}, nowMs);
      return true;
    case 0x25:
      if (ll != 1) return false;
      suspended_ = data[0] == 0xa0;
      Reply(readerId, 0x25, data, nowMs, false);
      return true;
    case 0x17:
      if (ll == 1) period4_ = data[0];
      Reply(readerId, 0x17, {static_cast<uint8_t>(period4_)}, nowMs, false);
      return true;
    case 0x26:
      Reply(readerId, 0x26, bytesOf(StatusData()), nowMs, false);
      return true;
    case 0x28:
      if (ll == 2) {
        options_ = data[0];
        dataCrc_ = data[1];
      }
      Reply(readerId, 0x28, {options_, dataCrc_}, nowMs, false);
      return true;
    case 0x38: {
      const int p = TtoPeriod();
      Reply(readerId, 0x38, {0, 0, static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p & 0xFF)},
            nowMs, false);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace corvalis::readersim
