#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "PassScheduler.h"
#include "common/Clock.h"
#include "protocol/MessageFormat.h"

namespace corvalis::readersim {

using TagId = std::array<uint8_t, 8>;

// Status byte of the TTO field: tamper bit 0, LS bit 6, FS bit 7.
uint8_t StatusByte(bool tamper, bool flagFS, bool flagLS);

// The bytes that end a message in `format`: its trailer, or CR LF when the
// trailer is empty.
std::string Trailer(const MessageFormat& format);

// Turns scheduled reads into tag messages in the current format.
class ReadEncoder {
 public:
  ReadEncoder(int tagCount, uint32_t seed);

  // Six random bytes and the tag CRC of them, so a layout that leaves out
  // ID bytes 6 and 7 still gives the console the same ID. The first byte is
  // never ab: without a header such a line would read as a reply.
  const TagId& Id(int tag) const { return ids_[static_cast<size_t>(tag)]; }

  // The message without its trailer; date and time from `at` in local time.
  std::string Encode(const MessageFormat& format, int readerId, const ScheduledRead& read,
                     WallTime at, uint8_t status);
  // Every read carries these counts from now on (-1 keeps that one random).
  void FixCounts(int iCount, int qCount) {
    fixedI_ = iCount;
    fixedQ_ = qCount;
  }

 private:
  std::vector<TagId> ids_;
  std::vector<uint8_t> sequence_;
  std::mt19937 rng_;
  int fixedI_ = -1;
  int fixedQ_ = -1;
};

// Damage for robustness tests: bad LRCs, garbage between messages and writes
// cut into pieces. Every message it leaves intact stays decodable.
class NoiseMaker {
 public:
  explicit NoiseMaker(uint32_t seed) : rng_(seed ^ 0x5EEDu) {}

  // One in twenty messages that carry an LRC gets a wrong one. True when it
  // did.
  bool MaybeCorruptLrc(const MessageFormat& format, std::string& message);
  // One in twenty times, garbage that no decoder takes; empty otherwise.
  std::string MaybeGarbage(const MessageFormat& format);
  // `bytes` cut at random places into one to four pieces.
  void Split(const std::string& bytes, std::vector<std::string>& pieces);

 private:
  bool OneIn(int n) { return std::uniform_int_distribution<int>(1, n)(rng_) == 1; }
  std::mt19937 rng_;
};

}  // namespace corvalis::readersim
