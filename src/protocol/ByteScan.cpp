#include "protocol/ByteScan.h"

#include "protocol/Hex.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvalis {

#if defined(__SSE2__)
namespace {

inline __m128i Load(const char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline __m128i Splat(char c) {
  return _mm_set1_epi8(c);
}

// Bits set for the bytes of `block` that are hex digits in either case.
inline int HexDigitMask(__m128i block) {
  // Signed compares: bytes of 0x80 and above are negative and fail both.
  const __m128i digit =
      _mm_and_si128(_mm_cmpgt_epi8(block, Splat('0' - 1)), _mm_cmplt_epi8(block, Splat('9' + 1)));
  const __m128i lower = _mm_or_si128(block, Splat(0x20));
  const __m128i letter =
      _mm_and_si128(_mm_cmpgt_epi8(lower, Splat('a' - 1)), _mm_cmplt_epi8(lower, Splat('f' + 1)));
  return _mm_movemask_epi8(_mm_or_si128(digit, letter));
}

}  // namespace

int FindLineBreak(const char* data, int from, int to) {
  int i = from;
  for (; i + 16 <= to; i += 16) {
    const __m128i block = Load(data + i);
    const __m128i hits =
        _mm_or_si128(_mm_cmpeq_epi8(block, Splat('\r')), _mm_cmpeq_epi8(block, Splat('\n')));
    const int mask = _mm_movemask_epi8(hits);
    if (mask != 0) return i + __builtin_ctz(static_cast<unsigned>(mask));
  }
  for (; i < to; ++i) {
    if (data[i] == '\r' || data[i] == '\n') return i;
  }
  return -1;
}

bool AllHexDigits(const char* text, int count) {
  if (count < 16) {
    for (int i = 0; i < count; ++i) {
      if (!IsHexDigit(text[i])) return false;
    }
    return true;
  }
  for (int i = 0; i + 16 <= count; i += 16) {
    if (HexDigitMask(Load(text + i)) != 0xFFFF) return false;
  }
  // The last block overlaps the one before it rather than going byte by byte.
  return HexDigitMask(Load(text + count - 16)) == 0xFFFF;
}

unsigned SumBytes(const char* text, int count) {
  int i = 0;
  __m128i sums = _mm_setzero_si128();
  for (; i + 16 <= count; i += 16) {
    sums = _mm_add_epi64(sums, _mm_sad_epu8(Load(text + i), _mm_setzero_si128()));
  }
  unsigned sum = static_cast<unsigned>(_mm_cvtsi128_si32(sums)) +
                 static_cast<unsigned>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
  for (; i < count; ++i) sum += static_cast<unsigned char>(text[i]);
  return sum;
}

#else

int FindLineBreak(const char* data, int from, int to) {
  for (int i = from; i < to; ++i) {
    if (data[i] == '\r' || data[i] == '\n') return i;
  }
  return -1;
}

bool AllHexDigits(const char* text, int count) {
  for (int i = 0; i < count; ++i) {
    if (!IsHexDigit(text[i])) return false;
  }
  return true;
}

unsigned SumBytes(const char* text, int count) {
  unsigned sum = 0;
  for (int i = 0; i < count; ++i) sum += static_cast<unsigned char>(text[i]);
  return sum;
}

#endif

}  // namespace corvalis
