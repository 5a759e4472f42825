#include "script/StandardTests.h"

namespace corvalis {
namespace {

const char kDiscoverBaudRate[] =
    "# Tries each baud rate in turn with a status request and stops at the\n"
    "# first rate that gets a reply.\n"
    "retry 0\n"
    "reply 1\n"
    "timeout 5\n"
    ":loop\n"
    "setChanBaudrate 4800\n"
    "gosub testRate\n"
    "setChanBaudrate 9600\n"
    "gosub testRate\n"
    "setChanBaudrate 19200\n"
    "gosub testRate\n"
    "setChanBaudrate 38400\n"
    "gosub testRate\n"
    "setChanBaudrate 57600\n"
    "gosub testRate\n"
    "setChanBaudrate 115200\n"
    "gosub testRate\n"
    "goto loop\n"
    ":testRate\n"
    "testOpen\n"
    "ifNot(IsOpen) wait 5\n"
    "ifNot(IsOpen) openChannel\n"
    "ab00000a51\n"
    "if (gotreply) goto gotit\n"
    "return\n"
    ":gotit\n"
    "message got the baud rate\n"
    "stop\n";

// The pattern is in S1; pages 0 to 14 are written with it, each waiting for
// its data to come back.
const char kQ2WriteTest[] =
    "# Q2 write test: transmitter off and on, the reader's masks and time-outs,\n"
    "# then three patterns written to pages 0 to 14 for ever.\n"
    "ab0001060087    # TX Off\n"
    "wait 5\n"
    "ab0001060188    # TX On\n"
    "buildCommand 001b    # masks\n"
    "buildCommand 0013    # time-outs\n"
    "RWCmdrSetNumPages 1\n"
    ":loop\n"
    "Set S1 aaaaaaaaaaaaaaaa\n"
    "gosub writePages\n"
    "Set S1 a555555555555555\n"
    "gosub writePages\n"
    "Set S1 ffffffffffffffff\n"
    "gosub writePages\n"
    "goto loop\n"
    ":writePages\n"
    "Set X1 0\n"
    ":nextPage\n"
    "RWCmdrSetStartPage ${X1}\n"
    "RWCmdrSetData ${S1}\n"
    "RWCmdrSetCommand Write\n"
    "clearData\n"
    "RWCmdrCommandSend\n"
    "waitData 50\n"
    "Inc X1\n"
    "ifCompare (${X1} lt 15) goto nextPage\n"
    "return\n";

const char kStressPage15[] =
    "# Stress page 15: waits for a tag, then reprograms its transmit-on-own\n"
    "# pages between 14-15 and 14 alone and reads page 15 back, for ever.\n"
    "clearTag\n"
    ":waitTag\n"
    "waitTagID 50\n"
    "ifNot (GotTagID) goto waitTag\n"
    "RWCmdrSetTagIDToLastSeen\n"
    "RWCmdrSetTarget Specific\n"
    "RWCmdrSetNumPages 1\n"
    ":loop\n"
    "RWCmdrSetStartPage 15\n"
    "RWCmdrSetData 0000000effff0000    # TTO pages 14-15\n"
    "RWCmdrSetCommand Write\n"
    "RWCmdrCommandSend\n"
    "waitData 50\n"
    "RWCmdrSetData 0000000e00000000    # TTO page 14\n"
    "RWCmdrCommandSend\n"
    "waitData 50\n"
    "RWCmdrSetCommand Read\n"
    "clearData\n"
    "RWCmdrCommandSend\n"
    "waitData 50\n"
    "goto loop\n";

const char kWrite1ToE[] =
    "# Writes 1111111111111111 to page 1, 2222222222222222 to page 2 and so\n"
    "# on to eeeeeeeeeeeeeeee on page 14.\n"
    "RWCmdrSetNumPages 1\n"
    "RWCmdrSetCommand Write\n"
    "Set X1 1\n"
    ":nextPage\n"
    "Set S1 ${h1}${h1}${h1}${h1}${h1}${h1}${h1}${h1}${h1}${h1}${h1}${h1}${h1}${h1}${h1}${h1}\n"
    "gosub writePage\n"
    "Inc X1\n"
    "ifCompare (${X1} le 14) goto nextPage\n"
    "message pages 1 to 14 written\n"
    "stop\n"
    ":writePage\n"
    "RWCmdrSetStartPage ${X1}\n"
    "RWCmdrSetData ${S1}\n"
    "RWCmdrCommandLoad\n"
    "RWCmdrDataSend\n"
    "waitData 50\n"
    "return\n";

const char kMonitoring[] =
    "# Long term tag test: every half hour the transmitter is on for 10 s\n"
    "# and the tags seen are recorded.\n"
    "#\n"
    ":loop\n"
    "clearTagsSeen\n"
    "ab0001060188    # TX On\n"
    "wait 100        # on for 10s\n"
    "ab0001060087    # TX Off\n"
    "wait 150        # allow time for IDs to flush (necessary if programmes write is used)\n"
    "recordTagsSeen\n"
    "wait 17750      # 1/2 hour less Tx on time and flush time\n"
    "goto loop\n";

const StandardTest kTests[kStandardTestSlots] = {
    {"Discover reader baud rate", kDiscoverBaudRate},
    {"Q2 write test", kQ2WriteTest},
    {"Stress Page 15", kStressPage15},
    {"Write 1-e to pages 1 to 14", kWrite1ToE},
    {"", ""},
    {"", ""},
    {"", ""},
    {"", ""},
    {"", ""},
    {"", ""},
};

}  // namespace

std::span<const StandardTest> StandardTests() {
  return kTests;
}

const char* MonitoringScript() {
  return kMonitoring;
}

}  // namespace corvalis
