#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <string>

class QSerialPort;
class QTimer;

namespace corvalis {

class SerialPort;

// Line settings, as the settings dialog and the channel sections name them.
enum class Parity { kNone, kOdd, kEven, kMark, kSpace };
enum class StopBits { kOne, kOneAndHalf, kTwo };
// kDefault leaves whatever handshaking the driver has in place.
enum class FlowControl { kNone, kCts, kDtr, kSoftware, kDefault };

Parity ParityFromText(const QString& text);
StopBits StopBitsFromValue(double value);
FlowControl FlowControlFromText(const QString& text);

// Error bits of the error event, numbered as the classic serial driver's
// clear-error call reports them, so the texts stay tied to their causes.
namespace comm_error {
inline constexpr uint32_t kRxOver = 0x0001;    // receive queue overflow
inline constexpr uint32_t kOverrun = 0x0002;   // character-buffer overrun
inline constexpr uint32_t kRxParity = 0x0004;  // parity error
inline constexpr uint32_t kFrame = 0x0008;     // framing error
inline constexpr uint32_t kBreak = 0x0010;     // break condition
inline constexpr uint32_t kTxFull = 0x0100;    // transmit queue full
inline constexpr uint32_t kPto = 0x0200;       // parallel port time-out
inline constexpr uint32_t kIoe = 0x0400;       // I/O error
inline constexpr uint32_t kDns = 0x0800;       // parallel device not selected
inline constexpr uint32_t kOop = 0x1000;       // parallel port out of paper
inline constexpr uint32_t kMode = 0x8000;      // mode not supported
}  // namespace comm_error

// Device types the open event reports, as the classic driver numbers them.
namespace provider_subtype {
inline constexpr int kUnspecified = 0;
inline constexpr int kRs232 = 1;
}  // namespace provider_subtype

// The type line that follows "Device ready: ".
const char* ProviderSubtypeText(int subtype);

enum class ModemLine { kCts, kDsr, kRing, kRlsd };

// The driver's running counts of line errors. QSerialPort reports none of
// them, so they are read from the driver where it keeps them (a real UART on
// Linux); a pty and most USB adapters keep none.
struct LineErrorCounts {
  uint32_t breaks = 0;
  uint32_t framing = 0;
  uint32_t parity = 0;
  uint32_t overrun = 0;        // the UART's own buffer
  uint32_t bufferOverrun = 0;  // the driver's receive queue
};

// The error bits for what changed between two readings of the counts.
uint32_t LineErrorBits(const LineErrorCounts& before, const LineErrorCounts& now);

// What a port reports. Every call comes on the thread that owns the port (the
// user-interface thread), with the port as `sender`; for one port event they
// come in the order break, CTS, DSR, error, ring, RLSD, bytes waiting,
// receive flag, transmit empty.
class SerialPortEvents {
 public:
  virtual ~SerialPortEvents() = default;
  virtual void PortOpened(SerialPort& sender, int errorCode, int providerSubtype) = 0;
  virtual void PortBreak(SerialPort& sender) = 0;
  virtual void PortLineChanged(SerialPort& sender, ModemLine line, bool on) = 0;
  virtual void PortErrors(SerialPort& sender, uint32_t errorBits) = 0;
  virtual void PortBytesWaiting(SerialPort& sender, int waiting) = 0;
  virtual void PortRxFlag(SerialPort& sender) = 0;
  virtual void PortTxEmpty(SerialPort& sender) = 0;
  // The device went away under an open port (USB adapter unplugged, pty
  // closed). The port has already been closed when this comes.
  virtual void PortLost(SerialPort& sender) = 0;
};

// One serial port: exclusive open, line settings, modem lines, purge and a
// non-blocking read of what the input queue holds. A thin layer over
// QSerialPort; QSerialPort's notifications arrive through the event loop,
// so the handlers run on the user-interface thread without any locking.
class SerialPort final {
 public:
  explicit SerialPort(SerialPortEvents* events = nullptr);
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  void SetEvents(SerialPortEvents* events) { events_ = events; }
  // Which channel this port serves; the channel set keeps it here so an event
  // finds its channel without a search.
  int tag = -1;

  // Properties. Each applies to an open port at once.
  QString DeviceName() const { return deviceName_; }
  void SetDeviceName(const QString& name) { deviceName_ = name; }
  int BaudRate() const { return baudRate_; }
  void SetBaudRate(int baud);
  int DataBits() const { return dataBits_; }
  void SetDataBits(int bits);
  Parity GetParity() const { return parity_; }
  void SetParity(Parity parity);
  StopBits GetStopBits() const { return stopBits_; }
  void SetStopBits(StopBits stopBits);
  FlowControl GetFlowControl() const { return flowControl_; }
  void SetFlowControl(FlowControl flow);
  // Kept for the settings; QSerialPort always paces with DC1/DC3.
  char xonChar = 0x11;
  char xoffChar = 0x13;
  int ReceiveQueueSize() const { return receiveQueueSize_; }
  void SetReceiveQueueSize(int bytes);

  // Closes the port if open, opens it exclusively, applies every property and
  // raises the open event with 0 or the failure's code.
  void Open();
  // Releases the device; nothing happens on a closed port.
  void Close();
  bool Enabled() const;

  // What the input queue holds, up to `max`, without waiting; -1 on failure.
  int Read(char* dest, int max);
  // The bytes Read can return at once.
  int BytesWaiting() const;
  void PurgeInput();
  std::string LastErrorText() const;
  // Accepted bytes; never blocks.
  int Write(const char* bytes, int count);

  void SetDtr(bool on);
  void SetRts(bool on);
  bool GetModemState(ModemLine line) const;
  // False for devices without modem lines (a pty): line settings are then
  // skipped instead of reported as errors.
  bool HasModemLines() const { return modemLines_; }

  // Whether break, framing, parity and overrun errors can be reported for
  // the open device.
  bool ReportsLineErrors() const { return lineCounters_; }

  // The operating system's handle of the open port, -1 when closed.
  int NativeHandle() const;

 private:
  void ApplyLineSettings();
  void ApplyFlowControl();
  void OnReadyRead();
  void OnError(int error);
  void OnBytesWritten();
  void PollLines();
  void PollModemLines();
  void PollLineErrors();
  void RaiseEvents(uint32_t errorBits, bool bytesWaiting, bool txEmpty);
  void HandleLost();

  SerialPortEvents* events_;
  std::unique_ptr<QSerialPort> port_;
  std::unique_ptr<QTimer> modemPoll_;
  QString deviceName_ = QStringLiteral("COM1");
  int baudRate_ = 9600;
  int dataBits_ = 8;
  Parity parity_ = Parity::kNone;
  StopBits stopBits_ = StopBits::kOne;
  FlowControl flowControl_ = FlowControl::kNone;
  int receiveQueueSize_ = 0;
  bool dtr_ = true;
  bool rts_ = true;
  bool modemLines_ = false;
  unsigned modemState_ = 0;
  // Whether the driver keeps line-error counts, and their last reading.
  bool lineCounters_ = false;
  LineErrorCounts lineErrors_;
  // Flow control found on the device before it was opened, for kDefault.
  int driverFlow_ = -1;
  // Bumped by every open and close, so a handler that closed the port stops
  // the remaining events of the same port event.
  unsigned generation_ = 0;
  int readFailures_ = 0;
};

}  // namespace corvalis
