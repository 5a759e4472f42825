#include "BootLoader.h"

#include "script/firmware/HexRecord.h"

namespace corvalis::readersim {
namespace {

constexpr size_t kLineMax = 600;

}  // namespace

void BootLoader::InjectFault(int record, LoaderFault fault, int times) {
  faults_[record] = {fault, times};
}

void BootLoader::Receive(const char* bytes, size_t count, std::vector<std::string>& replies) {
  for (size_t i = 0; i < count; ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      if (!pending_.empty()) {
        std::string answer = HandleLine(pending_);
        if (!answer.empty()) replies.push_back(answer + "\r\n");
      }
      pending_.clear();
    } else if (pending_.size() < kLineMax) {
      pending_ += c;
    }
  }
}

std::string BootLoader::HandleLine(std::string_view line) {
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return {};  // "LO" and other chatter
  ++received_;
  const auto fault = faults_.find(accepted_ + 1);
  if (fault != faults_.end() && fault->second.times > 0) {
    --fault->second.times;
    switch (fault->second.fault) {
      case LoaderFault::kChecksum:
        return "S";
      case LoaderFault::kNonBlank:
        return "N";
      case LoaderFault::kVerify:
        return "V";
      case LoaderFault::kSilence:
        return {};
    }
  }
  return CheckRecord(line.substr(colon));
}

std::string BootLoader::CheckRecord(std::string_view line) {
  HexRecord record;
  if (ParseHexRecord(line, record) != HexParseError::kNone) return "S";
  switch (static_cast<HexRecordType>(record.type)) {
    case HexRecordType::kData: {
      const uint32_t start = base_ + record.address;
      const uint32_t end = start + static_cast<uint32_t>(record.count);
      if (end > limit_) return "R";
      if (start < protectedEnd_ && end > protectedStart_) return "L";
      for (int i = 0; i < record.count; ++i)
        image_[start + static_cast<uint32_t>(i)] = record.data[static_cast<size_t>(i)];
      ++accepted_;
      return "O";
    }
    case HexRecordType::kExtendedLinear:
      if (record.count != 2) return "U";
      base_ = static_cast<uint32_t>(record.data[0] << 8 | record.data[1]) << 16;
      ++accepted_;
      return "O";
    case HexRecordType::kEndOfFile:
      ++accepted_;
      done_ = true;
      return "Z";
    default:
      return "U";
  }
}

}  // namespace corvalis::readersim
