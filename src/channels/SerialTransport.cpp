#include "channels/SerialTransport.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace corvalis {
namespace {

struct ErrorText {
  uint32_t bit;
  const char* lines[3];
  bool marks;
};

constexpr ErrorText kErrorTexts[] = {
    {comm_error::kBreak, {"The hardware detected a break condition."}, false},
    {comm_error::kFrame, {"The hardware detected a framing error."}, false},
    {comm_error::kIoe, {"An I/O error occurred during communications with the device."}, true},
    {comm_error::kMode,
     {"The requested mode is not supported, or the hFile parameter",
      "is invalid. If this value is specified, it is the only valid error."},
     false},
    {comm_error::kOverrun,
     {"A character-buffer overrun has occurred. The next character is lost."},
     false},
    {comm_error::kRxOver,
     {"An input buffer overflow has occurred. There is either no",
      "room in the input buffer, or a character was received after",
      "the end-of-file (EOF) character."},
     false},
    {comm_error::kRxParity, {"The hardware detected a parity error."}, false},
    {comm_error::kTxFull,
     {"The application tried to transmit a character, but the output", "buffer was full."},
     true},
    {comm_error::kDns, {"Windows 95 only: A parallel device is not selected."}, false},
    {comm_error::kOop,
     {"Windows 95 only: A parallel device signaled that it is out of paper."},
     false},
    {comm_error::kPto, {"Windows 95 only: A time-out occurred on a parallel device."}, false},
};

const char* LineName(ModemLine line) {
  switch (line) {
    case ModemLine::kCts:
      return "CTS SIGNAL ";
    case ModemLine::kDsr:
      return "DSR SIGNAL ";
    case ModemLine::kRing:
      return "RING SIGNAL ";
    case ModemLine::kRlsd:
      return "RLSD SIGNAL ";
  }
  return "";
}

}  // namespace

SerialTransport::SerialTransport(int channel, const ChannelSettings& settings,
                                 TransportEvents& events, StatusReporter& status)
    : channel_(channel), events_(events), status_(status), port_(this) {
  port_.tag = channel;
  port_.SetReceiveQueueSize(kReceiveQueueSize);
  Configure(settings);
}

SerialTransport::~SerialTransport() {
  port_.SetEvents(nullptr);
  port_.Close();
}

void SerialTransport::Configure(const ChannelSettings& settings) {
  port_.SetBaudRate(settings.baud);
  port_.SetDataBits(settings.databits);
  port_.SetParity(ParityFromText(settings.parity));
  port_.SetStopBits(StopBitsFromValue(settings.stopbits));
  port_.SetFlowControl(FlowControlFromText(settings.flowcontrol));
  // A line the handshake drives is stored but left to the driver.
  if (port_.GetFlowControl() != FlowControl::kDtr) port_.SetDtr(settings.dtr);
  if (port_.GetFlowControl() != FlowControl::kCts) port_.SetRts(settings.rts);
  if (settings.name != port_.DeviceName()) {
    port_.Close();
    port_.SetDeviceName(settings.name);
    wasOpen_ = false;
  }
  name_ = settings.name.toStdString();
}

void SerialTransport::Open() {
  port_.Open();  // closes first; reports through the open event
}

void SerialTransport::Reconnect() {
  // As the serial library finds a device given by its bare name.
  const QString name = port_.DeviceName();
  const QString path = name.startsWith('/') || name.startsWith('.') ? name : "/dev/" + name;
  if (!QFileInfo::exists(path)) return;
  quietFailure_ = true;
  port_.Open();
  quietFailure_ = false;
}

void SerialTransport::Close() {
  port_.Close();
}

void SerialTransport::CloseByOperator() {
  Log("Closing: ");
  port_.Close();
}

bool SerialTransport::IsOpen() const {
  return port_.Enabled();
}

int SerialTransport::Write(const char* bytes, int count) {
  return port_.Write(bytes, count);
}

int SerialTransport::BytesWaiting() const {
  return port_.BytesWaiting();
}

bool SerialTransport::InputWaiting() const {
  return port_.BytesWaiting() > 0 || SystemHoldsInput(port_.NativeHandle());
}

int SerialTransport::Read(char* dest, int max) {
  return port_.Read(dest, max);
}

void SerialTransport::PurgeInput() {
  port_.PurgeInput();
}

std::string SerialTransport::LastErrorText() const {
  return port_.LastErrorText();
}

QString SerialTransport::PanelText(bool open) const {
  return port_.DeviceName() +
         (open ? QStringLiteral(" %1").arg(port_.BaudRate()) : QStringLiteral(" Closed"));
}

// Formats on the stack: these lines come with every port event.
void SerialTransport::Log(const char* prefix, const char* suffix) {
  char line[256];
  const int n = std::snprintf(line, sizeof line, "%s%s%s", prefix, name_.c_str(), suffix);
  status_.DebugLog(std::string_view(line, static_cast<size_t>(std::clamp(n, 0, 255))));
}

void SerialTransport::PortOpened(SerialPort&, int errorCode, int providerSubtype) {
  if (errorCode != 0) {
    // A retry's failure is told by the channel's attempt line.
    if (quietFailure_) {
      events_.TransportChanged(channel_, false);
      return;
    }
    char code[48];
    std::snprintf(code, sizeof code, " (code: %d)", errorCode);
    Log("Error accessing device: ", code);
  } else {
    wasOpen_ = true;
    Log("Device ready: ", " (code: 0)");
    status_.DebugLog(ProviderSubtypeText(providerSubtype));
  }
  events_.TransportChanged(channel_, false);
}

void SerialTransport::PortBreak(SerialPort&) {
  // Its text comes with the error event's break bit.
}

void SerialTransport::PortLineChanged(SerialPort&, ModemLine line, bool on) {
  Log(LineName(line), on ? ": ON" : ": OFF");
}

void SerialTransport::PortErrors(SerialPort&, uint32_t errorBits) {
  bool marks = false;
  for (const ErrorText& entry : kErrorTexts) {
    if ((errorBits & entry.bit) == 0) continue;
    for (const char* line : entry.lines) {
      if (line != nullptr) status_.DebugLog(line);
    }
    marks = marks || entry.marks;
  }
  events_.TransportChanged(channel_, marks);
}

void SerialTransport::PortBytesWaiting(SerialPort&, int) {
  events_.TransportBytes(channel_);
}

void SerialTransport::PortRxFlag(SerialPort&) {
  Log("RXFLAG SIGNAL ");
}

void SerialTransport::PortTxEmpty(SerialPort&) {
  Log("TXEMPTY SIGNAL ");
}

void SerialTransport::PortLost(SerialPort&) {
  Log("Device lost, channel closed: ");
  events_.TransportChanged(channel_, false);
}

}  // namespace corvalis
