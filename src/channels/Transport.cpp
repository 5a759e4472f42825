#include "channels/Transport.h"

#include <sys/ioctl.h>

#include "channels/SerialTransport.h"
#include "channels/TcpTransport.h"
#include "common/ChannelIndex.h"

namespace corvalis {

bool SystemHoldsInput(qintptr descriptor) {
  if (descriptor < 0) return false;
  int count = 0;
  return ::ioctl(static_cast<int>(descriptor), FIONREAD, &count) == 0 && count > 0;
}

QString ChannelLabel(int channel) {
  return channel == kOutputChannel ? QStringLiteral("Out1")
                                   : QStringLiteral("Chan %1").arg(channel + 1);
}

std::unique_ptr<Transport> MakeTransport(int channel, const ChannelSettings& settings,
                                         TransportEvents& events, StatusReporter& status) {
  if (settings.port) return std::make_unique<SerialTransport>(channel, settings, events, status);
  // The output port over TCP only sends.
  return std::make_unique<TcpTransport>(channel, settings, events, status,
                                        channel != kOutputChannel);
}

}  // namespace corvalis
