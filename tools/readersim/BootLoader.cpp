#include "BootLoader.h"

#include <cstdlib>

#include "script/firmware/HexRecord.h"

namespace corvalis::readersim {
namespace {

constexpr size_t kLineMax = 600;

}  // namespace

bool ParseLoaderFault(const std::string& text, LoaderFaultSpec& spec) {
  const size_t first = text.find(':');
  if (first == std::string::npos) return false;
  const size_t second = text.find(':', first + 1);
  const std::string kind =
      text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  char* end = nullptr;
  const long record = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + first || record < 1 || record > 1'000'000) return false;
  long times = 1;
  if (second != std::string::npos) {
    times = std::strtol(text.c_str() + second + 1, &end, 10);
    if (*end != '\0' || second + 1 == text.size() || times < 1 || times > 1000) return false;
  }
  if (kind == "S") {
    spec.fault = LoaderFault::kChecksum;
  } else if (kind == "N") {
    spec.fault = LoaderFault::kNonBlank;
  } else if (kind == "V") {
    spec.fault = LoaderFault::kVerify;
  } else if (kind == "silence") {
    spec.fault = LoaderFault::kSilence;
  } else {
    return false;
  }
  spec.record = static_cast<int>(record);
  spec.times = static_cast<int>(times);
  return true;
}

uint32_t ImageDigest(const std::map<uint32_t, uint8_t>& image) {
  uint32_t hash = 2166136261u;
  auto mix = [&hash](uint8_t byte) {
    hash ^= byte;
    hash *= 16777619u;
  };
  for (const auto& [address, value] : image) {
    for (int shift = 24; shift >= 0; shift -= 8) mix(static_cast<uint8_t>(address >> shift));
    mix(value);
  }
  return hash;
}

void BootLoader::InjectFault(int record, LoaderFault fault, int times) {
  faults_[record] = {fault, times};
}

void BootLoader::Receive(const char* bytes, size_t count, std::vector<std::string>& replies) {
  for (size_t i = 0; i < count; ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      if (!pending_.empty()) {
        std::string answer = HandleLine(pending_);
        if (!answer.empty()) replies.push_back(answer + (xon_ ? "\x11" : "\r\n"));
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
