#include "mqtt/PassJson.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace corvalis {
namespace {

// The length of the UTF-8 sequence starting at `i`, or 0 when it is not one.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  size_t length = 0;
  uint32_t low = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    low = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  uint32_t code = lead & (0xFF >> (length + 1));
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < low || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return {field, strnlen(field, N)};
}

void AppendNumber(std::string& out, std::string_view key, long long value) {
  out += ",\"";
  out += key;
  out += "\":";
  out += std::to_string(value);
}

void AppendText(std::string& out, std::string_view key, std::string_view value) {
  out += ",\"";
  out += key;
  out += "\":";
  AppendJsonString(out, value);
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      switch (byte) {
        case '"':
          out += "\\\"";
          break;
        case '\\':
          out += "\\\\";
          break;
        case '\n':
          out += "\\n";
          break;
        case '\r':
          out += "\\r";
          break;
        case '\t':
          out += "\\t";
          break;
        default:
          if (byte < 0x20 || byte == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
          } else {
            out += static_cast<char>(byte);
          }
      }
      ++i;
      continue;
    }
    const size_t length = Utf8SequenceLength(text, i);
    if (length > 0) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
      ++i;
    }
  }
  out += '"';
}

std::string FormatLocalTimestamp(int32_t sec, int32_t ms) {
  const std::time_t t = sec;
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) {
    tm = std::tm{};
    tm.tm_mday = 1;
    tm.tm_year = 70;
  }
  const long offsetMinutes = tm.tm_gmtoff / 60;
  const long magnitude = std::labs(offsetMinutes);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld",
                tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                std::clamp(ms, 0, 999), offsetMinutes < 0 ? '-' : '+', magnitude / 60,
                magnitude % 60);
  return text;
}

std::string EncodePassJson(const CompletedPass& completed, std::string_view passId) {
  const TagRecord& pass = completed.pass;
  std::string out;
  out.reserve(320);
  out += "{\"id\":";
  AppendJsonString(out, passId);
  AppendText(out, "depot", completed.depot);
  AppendText(out, "tagId", FieldText(pass.hexId));
  AppendText(out, "name", completed.name);
  out += ",\"tamper\":";
  out += pass.tamper != 0 ? "true" : "false";
  AppendText(out, "firstSeen", FormatLocalTimestamp(pass.firstSeenSec, pass.firstSeenMs));
  AppendText(out, "lastSeen", FormatLocalTimestamp(pass.lastSeenSec, pass.lastSeenMs));
  AppendNumber(out, "channel", pass.channel + 1);
  AppendNumber(out, "readerId", pass.readerId);
  AppendNumber(out, "count", pass.count);
  AppendNumber(out, "iCount", pass.iCount);
  AppendNumber(out, "qCount", pass.qCount);
  out += '}';
  return out;
}

}  // namespace corvalis
