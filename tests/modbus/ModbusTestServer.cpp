// A standard Modbus TCP server for the tests, built on libmodbus: it holds the
// network module's register map, answers with libmodbus's own reply routine
// and prints every request it received as hexadecimal, one line each.
// Usage: modbus_test_server PORT [ID ...]  (IDs as 16 hex digits; each "Read
// an ID" poll serves the next one, then zeros.) "connected" goes to standard
// error once the client is there.
#include <modbus/modbus.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kFirstRegister = 819;
constexpr int kLastRegister = 2003;
constexpr int kTagIdRegister = 1;
constexpr int kLastIdRegister = 17;

void LoadId(modbus_mapping_t* map, int firstRegister, const char* hex) {
  for (int word = 0; word < 4; ++word) {
    char part[5] = {};
    std::memcpy(part, hex + word * 4, 4);
    map->tab_input_registers[firstRegister - map->start_input_registers + word] =
        static_cast<uint16_t>(std::strtoul(part, nullptr, 16));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::vector<const char*> ids(argv + 2, argv + argc);
  size_t nextId = 0;

  modbus_t* context = modbus_new_tcp("127.0.0.1", std::atoi(argv[1]));
  modbus_mapping_t* map = modbus_mapping_new_start_address(
      1001, 2, 0, 0, kFirstRegister, kLastRegister - kFirstRegister + 1, 1, 20);
  map->tab_registers[1003 - kFirstRegister] = 7;
  map->tab_registers[1004 - kFirstRegister] = 42;
  LoadId(map, kLastIdRegister, "0000000000000000");

  const int listener = modbus_tcp_listen(context, 1);
  if (listener < 0) return 3;
  std::printf("ready\n");
  std::fflush(stdout);
  if (modbus_tcp_accept(context, const_cast<int*>(&listener)) < 0) return 4;
  std::fprintf(stderr, "connected\n");

  uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
  for (;;) {
    const int length = modbus_receive(context, query);
    if (length == 0) continue;
    if (length < 0) break;
    for (int i = 0; i < length; ++i) std::printf("%02x", query[i]);
    std::printf("\n");
    std::fflush(stdout);
    const int address = (query[8] << 8) | query[9];
    if (query[7] == 4 && address == kTagIdRegister) {
      const char* id = nextId < ids.size() ? ids[nextId++] : "0000000000000000";
      LoadId(map, kTagIdRegister, id);
      if (std::strcmp(id, "0000000000000000") != 0) LoadId(map, kLastIdRegister, id);
    }
    modbus_reply(context, query, length, map);
  }
  close(listener);
  modbus_mapping_free(map);
  modbus_close(context);
  modbus_free(context);
  return 0;
}
