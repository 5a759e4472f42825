#include "logging/flash/FlashCommands.h"

#include <algorithm>
#include <cstdio>

#include "protocol/ReaderCommandSender.h"

namespace corvalis {
namespace {

std::string HexByte(int value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02x", value & 0xff);
  return text;
}

}  // namespace

const std::vector<std::string_view>& PlaybackStartSequence() {
  static const std::vector<std::string_view> kSequence = {
      flash_body::kRecordStop, flash_body::kPlayStart, flash_body::kRewind, "034b070105"};
  return kSequence;
}

const std::vector<std::string_view>& PlaybackEndSequence() {
  static const std::vector<std::string_view> kSequence = {
      flash_body::kPlayStop, flash_body::kRecordStart, flash_body::kRewind, "034b07000a"};
  return kSequence;
}

const std::vector<std::string_view>& SportUpdateSequence() {
  static const std::vector<std::string_view> kSequence = {
      flash_body::kSerialQuery, flash_body::kStatus, flash_body::kModeQuery, flash_body::kTimeQuery,
      flash_body::kTypeQuery};
  return kSequence;
}

std::string ModeBody(int mode, int timeout) {
  return "0309" + HexByte(mode) + HexByte(std::clamp(timeout, 1, 255)) + "07";
}

std::string SerialNumberBody(std::string_view serial, bool change) {
  if (serial.empty() || serial.size() > kMaxSerialLength) return {};
  std::string body = HexByte(static_cast<int>(serial.size()) + (change ? 0x80 : 0)) + "65";
  for (const char c : serial) {
    if (c < 0x20 || c > 0x7e) return {};
    body += HexByte(static_cast<unsigned char>(c));
  }
  return body;
}

std::string PlayedMarkBody(int blocks) {
  if (blocks == 0) return {};
  const int count = std::min(blocks < 0 ? -blocks : blocks, 255);
  return (blocks < 0 ? "024b05" : "024b04") + HexByte(count);
}

void FlashCommandQueue::Send(std::string_view body, int acceptedErrorCode) {
  QueuedCommand command{std::string(body), acceptedErrorCode};
  if (pending_.empty() && !sender_.Awaiting()) {
    SendNow(command);
  } else {
    pending_.push_back(std::move(command));
  }
}

void FlashCommandQueue::Send(const std::vector<std::string_view>& bodies) {
  if (bodies.empty()) return;
  const bool sendFirst = pending_.empty() && !sender_.Awaiting();
  for (size_t i = sendFirst ? 1 : 0; i < bodies.size(); ++i)
    pending_.push_back(QueuedCommand{std::string(bodies[i]), -1});
  if (sendFirst) SendNow(QueuedCommand{std::string(bodies.front()), -1});
}

void FlashCommandQueue::Tick() {
  if (pending_.empty() || sender_.Awaiting()) return;
  const QueuedCommand command = std::move(pending_.front());
  pending_.pop_front();
  SendNow(command);
}

void FlashCommandQueue::SendNow(const QueuedCommand& command) {
  sender_.SendCommand(channel_, readerId_, std::string_view(command.body));
  if (command.acceptedErrorCode >= 0) sender_.AcceptErrorReply(command.acceptedErrorCode);
}

}  // namespace corvalis
