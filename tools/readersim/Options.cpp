#include "Options.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "PassScheduler.h"

namespace corvalis::readersim {
namespace {

std::optional<long long> ParseInteger(const std::string& text, long long min, long long max) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty() || value < min || value > max) {
    return std::nullopt;
  }
  return value;
}

std::optional<double> ParseRate(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  if (value < 0.1 || value > 10000.0) return std::nullopt;
  return value;
}

std::optional<FormatPreset> ParseFormat(const std::string& text) {
  if (text == "default") return FormatPreset::kDefault;
  if (text == "standard") return FormatPreset::kStandard;
  if (text == "reduced") return FormatPreset::kReduced;
  if (text == "extended") return FormatPreset::kExtended;
  if (text == "binary") return FormatPreset::kBinary;
  return std::nullopt;
}

bool IsKnownBaud(long long baud) {
  for (long long b : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400}) {
    if (b == baud) return true;
  }
  return false;
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::string>& args) {
  ParseResult result;
  Options& o = result.options;
  int links = 0;

  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> inlineValue;
    if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      inlineValue = name.substr(eq + 1);
      name.resize(eq);
    }
    auto fail = [&](const std::string& why) {
      result.error = why;
      return result;
    };
    auto flag = [&](bool& target) {
      if (inlineValue) return false;
      target = true;
      return true;
    };
    // The option's value, from "=value" or the next argument.
    auto value = [&]() -> std::optional<std::string> {
      if (inlineValue) return inlineValue;
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    auto integer = [&](long long min, long long max) -> std::optional<long long> {
      const auto text = value();
      return text ? ParseInteger(*text, min, max) : std::nullopt;
    };

    if (name == "-h" || name == "--help") {
      result.help = true;
      return result;
    } else if (name == "--version") {
      result.version = true;
      return result;
    } else if (name == "--tcp") {
      const auto port = integer(0, 65535);
      if (!port) return fail("--tcp needs a port number 0 to 65535");
      o.link = LinkKind::kTcp;
      o.tcpPort = static_cast<int>(*port);
      ++links;
    } else if (name == "--pty") {
      bool on = false;
      if (!flag(on)) return fail("--pty takes no value");
      o.link = LinkKind::kPty;
      ++links;
    } else if (name == "--serial") {
      const auto device = value();
      if (!device || device->empty()) return fail("--serial needs a device path");
      o.link = LinkKind::kSerial;
      o.serialDevice = *device;
      ++links;
    } else if (name == "--baud") {
      const auto baud = integer(1, 10'000'000);
      if (!baud || !IsKnownBaud(*baud))
        return fail("--baud needs a standard rate (1200 to 230400)");
      o.baud = static_cast<int>(*baud);
    } else if (name == "--format") {
      const auto text = value();
      const auto preset = text ? ParseFormat(*text) : std::nullopt;
      if (!preset) return fail("--format needs default, standard, reduced, extended or binary");
      o.format = *preset;
    } else if (name == "--tags") {
      const auto n = integer(1, 1000);
      if (!n) return fail("--tags needs a number 1 to 1000");
      o.tags = static_cast<int>(*n);
    } else if (name == "--rate") {
      const auto text = value();
      o.unlimited = text && *text == "max";
      const auto rate = o.unlimited ? kUnlimitedRate : text ? ParseRate(*text) : std::nullopt;
      if (!rate) return fail("--rate needs reads per second, 0.1 to 10000, or max");
      o.rate = *rate;
    } else if (name == "--passes") {
      const auto n = integer(0, 1'000'000'000);
      if (!n) return fail("--passes needs a number (0 = no limit)");
      o.passes = static_cast<int>(*n);
    } else if (name == "--reads-per-pass") {
      const auto n = integer(1, 1000);
      if (!n) return fail("--reads-per-pass needs a number 1 to 1000");
      o.readsPerPass = static_cast<int>(*n);
    } else if (name == "--counts") {
      const auto text = value();
      const size_t comma = text ? text->find(',') : std::string::npos;
      const auto iCount =
          comma == std::string::npos ? std::nullopt : ParseInteger(text->substr(0, comma), 0, 255);
      const auto qCount =
          comma == std::string::npos ? std::nullopt : ParseInteger(text->substr(comma + 1), 0, 255);
      if (!iCount || !qCount) return fail("--counts needs I,Q, each 0 to 255");
      o.fixedICount = static_cast<int>(*iCount);
      o.fixedQCount = static_cast<int>(*qCount);
    } else if (name == "--seed") {
      const auto n = integer(0, 0xFFFFFFFFLL);
      if (!n) return fail("--seed needs a number 0 to 4294967295");
      o.seed = static_cast<uint32_t>(*n);
    } else if (name == "--reader-id") {
      const auto n = integer(0, 255);
      if (!n) return fail("--reader-id needs a number 0 to 255");
      o.readerId = static_cast<int>(*n);
    } else if (name == "--tamper") {
      if (!flag(o.tamper)) return fail("--tamper takes no value");
    } else if (name == "--fs") {
      if (!flag(o.flagFS)) return fail("--fs takes no value");
    } else if (name == "--ls") {
      if (!flag(o.flagLS)) return fail("--ls takes no value");
    } else if (name == "--noise") {
      if (!flag(o.noise)) return fail("--noise takes no value");
    } else if (name == "--ms-timing") {
      if (!flag(o.msTiming)) return fail("--ms-timing takes no value");
    } else if (name == "--trigger-every") {
      const auto n = integer(0, 86'400'000);
      if (!n) return fail("--trigger-every needs milliseconds (0 = only on ff2c)");
      o.triggerEveryMs = static_cast<int>(*n);
    } else if (name == "--rf-off") {
      if (!flag(o.rfOff)) return fail("--rf-off takes no value");
    } else if (name == "--fault-on") {
      const auto n = integer(0, 255);
      if (!n) return fail("--fault-on needs a command code 0 to 255");
      o.faultCommand = static_cast<int>(*n);
    } else if (name == "--fault-error") {
      const auto n = integer(240, 255);
      if (!n) return fail("--fault-error needs an error code 240 to 255");
      o.faultError = static_cast<int>(*n);
    } else if (name == "--baud-only") {
      if (!flag(o.baudOnly)) return fail("--baud-only takes no value");
    } else if (name == "--fault-silent") {
      if (!flag(o.faultSilent)) return fail("--fault-silent takes no value");
    } else if (name == "--display-sink") {
      const auto kind = value();
      if (kind && *kind == "board") {
        o.displaySink = SinkKind::kBoard;
      } else if (kind && *kind == "sign") {
        o.displaySink = SinkKind::kSign;
      } else {
        return fail("--display-sink needs board or sign");
      }
    } else if (name == "--loader-fault") {
      const auto text = value();
      LoaderFaultSpec spec;
      if (!text || !ParseLoaderFault(*text, spec))
        return fail("--loader-fault needs RECORD:KIND[:TIMES], KIND one of S, N, V, silence");
      o.loaderFaults.push_back(spec);
    } else if (name == "--loader-xon") {
      if (!flag(o.loaderXon)) return fail("--loader-xon takes no value");
    } else if (name == "--rw-drop") {
      const auto n = integer(0, 1000);
      if (!n) return fail("--rw-drop needs a number of replies 0 to 1000");
      o.rwFaults.dropReplies = static_cast<int>(*n);
    } else if (name == "--rw-late") {
      const auto n = integer(0, 60'000);
      if (!n) return fail("--rw-late needs milliseconds 0 to 60000");
      o.rwFaults.lateMs = static_cast<int>(*n);
    } else if (name == "--rw-corrupt") {
      const auto n = integer(0, 16);
      if (!n) return fail("--rw-corrupt needs a number of digits 0 to 16");
      o.rwFaults.corruptDigits = static_cast<int>(*n);
    } else if (name == "--handheld") {
      const auto type = value();
      if (!type || type->empty() || type->size() > 15)
        return fail("--handheld needs a reader type text of 1 to 15 characters");
      o.handheld.type = *type;
    } else if (name == "--flash-records") {
      const auto n = integer(0, 0xffff);
      if (!n) return fail("--flash-records needs a number of records 0 to 65535");
      o.handheld.storedRecords = static_cast<int>(*n);
    } else if (name == "--flash-blocks") {
      const auto n = integer(0, 255);
      if (!n) return fail("--flash-blocks needs a number of blocks 0 to 255");
      o.handheld.totalBlocks = static_cast<int>(*n);
    } else if (name == "--tagsim-id") {
      const auto n = integer(1, 254);
      if (!n) return fail("--tagsim-id needs an address 1 to 254");
      o.tagSimAddress = static_cast<int>(*n);
    } else if (name == "--tolling") {
      if (!flag(o.tolling)) return fail("--tolling takes no value");
    } else if (name == "--toll-no-mode") {
      if (!flag(o.tollNoMode)) return fail("--toll-no-mode takes no value");
    } else if (name == "--rw-other-channel") {
      const auto port = integer(0, 65535);
      if (!port) return fail("--rw-other-channel needs a port number 0 to 65535");
      o.rwFaults.otherChannel = true;
      o.rwOtherChannelPort = static_cast<int>(*port);
    } else {
      return fail("unknown option " + args[i]);
    }
  }

  if (links != 1) {
    result.error = "choose exactly one of --tcp PORT, --pty, --serial DEVICE";
  } else if (o.rwFaults.otherChannel && o.link != LinkKind::kTcp) {
    result.error = "--rw-other-channel needs --tcp";
  } else if (o.unlimited && o.link != LinkKind::kTcp) {
    result.error = "--rate max needs --tcp (the socket paces it)";
  } else if (o.readsPerPass > 1 && 1000.0 / o.rate > kMaxReadSpacingMs) {
    // Slower reads would leave the console's wait time between two reads of
    // one pass and split it.
    result.error = "--rate below 4 needs --reads-per-pass 1";
  }
  return result;
}

std::string UsageText() {
  return R"(Usage: corvalis-readersim (--tcp PORT | --pty | --serial DEVICE) [options]

Behaves like one RFID reader: streams tag reads and answers framed commands.

Link (exactly one):
  --tcp PORT            listen on 127.0.0.1:PORT (0 picks a free port), one client at a time
  --pty                 create a pseudo-terminal and print its device path
  --serial DEVICE       use a serial device
  --baud B              serial line rate (default 9600)

Tag stream:
  --format F            default (70-character lines), standard, reduced, extended, binary
  --tags N              tags passing the reader (default 12)
  --rate R              reads per second, all tags together (default 20); "max"
                        sends as fast as the console takes them (TCP only)
  --reads-per-pass K    reads in one pass of a tag (default 5)
  --passes N            stop streaming after N complete passes (default 0: no limit)
  --counts I,Q          every read carries these I and Q counts (default: random)
  --seed S              seed for tag IDs, timing and noise (default 1)
  --reader-id ID        this reader's ID, 0 to 255 (default 0)
  --tamper, --fs, --ls  set the tamper, FS or LS status bit on every read
  --noise               add bad-LRC lines and garbage, split writes into pieces
  --ms-timing           fill the ms-timing fields (ID# is the hop slot R16 matches)
  --trigger-every MS    send a start trigger ("ab" rid "07" "2c" date time LRC) every MS ms
  --rf-off              start with the transmitter off (no tags until "010601")
  --fault-on CODE       answer commands with this code (decimal) with an error
  --fault-error CODE    the error code for --fault-on (240 to 255, default 242)
  --fault-silent        answer --fault-on commands with nothing at all
  --baud-only           on a pty or serial link, hear commands only while the console
                        has set the line to --baud (for baud-rate discovery)

External display:
  --display-sink KIND   be the console's display on its output channel (channel 5)
                        instead of a reader: board (message board text frames) or
                        sign (Polycomp 16x1/16x5 frames); prints one line per frame

Boot loader (after a boot command):
  --loader-fault R:K[:N]  answer record R with K (S, N, V or silence), N times (default 1)
  --loader-xon          end the loader's answers with XON instead of CR LF
  --rw-drop K           lose the first K replies of the read/write controller
  --rw-late MS          send every read/write controller reply MS late
  --rw-corrupt N        tag pages read back with their first N digits changed
  --rw-other-channel PORT
                        answer the read/write controller's tag exchanges on a
                        second link listening on 127.0.0.1:PORT (0 picks one)

Handheld flash logging:
  --handheld TYPE       a handheld that logs to flash; TYPE is its "0066" type text
  --flash-records N     records in its flash at start (default 40, 16 per block)
  --flash-blocks N      blocks of flash, 0 to 255 (default 64)

Tag simulator:
  --tagsim-id N         a tag simulator answers at address N (1 to 254) and at the
                        broadcast address 255; it acknowledges each command with its data

Tolling reader:
  --tolling             run the road-tolling application: one "a1" transaction report
                        per pass instead of tag messages, and the tolling commands
                        (see README.md, "Tolling reader")
  --toll-no-mode        leave the mode out of the reports

  -h, --help            show this text
  --version             show the version

Stops cleanly on SIGINT or SIGTERM. Exit code 2 for bad options or a link that cannot open.
)";
}

}  // namespace corvalis::readersim
