#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvalis {

// The channel side of the Modbus tab: raw writes without the reply wait, and
// the text that names a channel in the log.
class ModbusLink {
 public:
  virtual ~ModbusLink() = default;
  virtual bool WriteModbus(int channel, const uint8_t* bytes, int count) = 0;
  virtual std::string ChannelText(int channel) const = 0;
};

// Where received bytes go that are not a Modbus reply: the channel's normal
// line path.
class ModbusPassOn {
 public:
  virtual ~ModbusPassOn() = default;
  virtual void PassOnBytes(int channel, const char* bytes, int count) = 0;
};

// What the tab shows. Every call is optional for the logic.
class ModbusView {
 public:
  virtual ~ModbusView() = default;
  virtual void ShowRequest(std::string_view hex) = 0;
  virtual void ShowResponse(std::string_view hex) = 0;
  // `line` is the time, a blank and the ID; `firstSeen` when it is new to
  // the unique list.
  virtual void ShowTag(std::string_view line, std::string_view id, bool firstSeen) = 0;
  virtual void ShowEmptyReply() = 0;
  virtual void ShowReadBack(int registerAddress, int value) = 0;
  virtual void ShowStatus(std::string_view text) = 0;
};

}  // namespace corvalis

namespace corvalis {

// The main window's send channel and reader ID, which the tab's requests use.
class ModbusTarget {
 public:
  virtual ~ModbusTarget() = default;
  virtual int SendChannel() const = 0;
  virtual int MainReaderId() const = 0;
};

// The script tab, which runs the periodic read.
class PeriodicReadRunner {
 public:
  virtual ~PeriodicReadRunner() = default;
  virtual void RunMemoScript(const std::string& text) = 0;
  virtual void StopScript() = 0;
};

}  // namespace corvalis
