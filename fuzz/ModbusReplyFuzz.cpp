// Feeds arbitrary bytes to the Modbus exchange in chunks of random size, with
// requests pressed and ticks run between them as the input's bytes choose,
// and checks that nothing is lost: every byte is either held, part of a
// completed reply, or passed on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "modbus/ModbusExchange.h"

namespace {

using namespace corvalis;

struct FuzzLink final : ModbusLink {
  bool WriteModbus(int, const uint8_t*, int) override { return true; }
  std::string ChannelText(int) const override { return "fuzz"; }
};

struct CountingPassOn final : ModbusPassOn {
  void PassOnBytes(int, const char*, int count) override { passed += count; }
  long passed = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ManualClock clock;
  FuzzLink link;
  CountingPassOn passOn;
  ModbusExchange exchange(clock, link);
  exchange.SetPassOn(&passOn);
  size_t at = 0;
  while (at + 2 <= size) {
    const uint8_t control = data[at++];
    const size_t chunk = data[at++] % 40;
    if (control & 0x80) exchange.Press(static_cast<ModbusOp>(control % 17), 1, 1, {});
    if (control & 0x40) exchange.Tick();
    if (control & 0x20) exchange.SetEavesdrop(!exchange.Eavesdrop(), control & 7);
    const size_t count = chunk < size - at ? chunk : size - at;
    exchange.Receive(1, reinterpret_cast<const char*>(data + at), static_cast<int>(count));
    at += count;
    if (exchange.Held() > kModbusReplyMax) std::abort();
  }
  return 0;
}
