#pragma once

#include "protocol/MessageDispatcher.h"
#include "protocol/ReceiveFramer.h"
#include "protocol/TagMessageDecoder.h"

namespace corvalis {

// The receive path of all five channels: buffers and cutter, dispatcher and
// decoders, wired together over one set of per-channel formats.
class ReceiveSpine {
 public:
  ReceiveSpine(const ProtocolSettings& settings, const Clock& clock, StatusReporter& status)
      : decoder(formats, settings, clock, status),
        dispatcher(formats, settings, decoder),
        framer(formats, dispatcher, status) {}

  ReceiveSpine(const ReceiveSpine&) = delete;
  ReceiveSpine& operator=(const ReceiveSpine&) = delete;

  ChannelFormats formats;
  TagMessageDecoder decoder;
  MessageDispatcher dispatcher;
  ReceiveFramer framer;
};

}  // namespace corvalis
