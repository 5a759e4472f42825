#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "demos/tolling/TollingCommands.h"
#include "protocol/CommandHooks.h"

namespace corvalis {

// Reply codes the tolling window reads.
inline constexpr int kTollingTimeoutsCode = 0x24;
inline constexpr int kTollingTariffsCode = 0x57;
inline constexpr int kTollingReadPointCode = 0x58;
inline constexpr int kTollingModeCode = 0x59;

struct TollingTariffs {
  int classes = 0;
  std::array<int, kTollingClasses> tariffs{};
};

struct TollingReadPoints {
  int readPoint = 0;
  int focReadPoint = 0;
};

struct TollingModeReply {
  int mode = 0;
  std::optional<uint32_t> credit;  // when the reply carries it (Set/Add Credit)
};

// Each reads only replies of its code that hold every byte it needs; any
// other reply gives nothing, so a short one cannot read past its data.
// 0x57: the number of classes and five 16-bit tariffs (11 bytes).
std::optional<TollingTariffs> ParseTollingTariffs(const ReplyView& reply);
// 0x58: this read point and the FOC read point (2 bytes).
std::optional<TollingReadPoints> ParseTollingReadPoints(const ReplyView& reply);
// 0x59: the mode (1 byte), then the credit when 4 more bytes follow.
std::optional<TollingModeReply> ParseTollingMode(const ReplyView& reply);
// 0x24: the six time-outs (6 bytes).
std::optional<std::array<int, kTollingTimeouts>> ParseTollingTimeouts(const ReplyView& reply);

}  // namespace corvalis
