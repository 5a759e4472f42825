#pragma once

#include "Options.h"
#include "protocol/MessageFormat.h"

namespace corvalis::readersim {

// The ten format bytes that describe `format` as it is streamed, taken from
// its field switches, so a console that applies them expects exactly the
// messages that follow.
FormatBytes FormatBytesOf(const MessageFormat& format);

// The layout the simulator starts with. The presets change the field flags,
// ID bytes, headers, trailer and separator and keep the line-number, 1 ms and
// ms-timing switches of the default layout; binary is the default layout sent
// as binary frames.
MessageFormat MakePresetFormat(FormatPreset preset);

}  // namespace corvalis::readersim
