#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "logging/PassOutputs.h"

namespace corvalis {

// A completed pass as one JSON object on one line: the log line's fields,
// all of them whatever the log columns say, and `id`, unique per pass, by
// which a consumer drops the repeats QoS 1 allows.
std::string EncodePassJson(const CompletedPass& completed, std::string_view passId);

// Local time with milliseconds and the UTC offset,
// "2026-12-08T10:20:30.500+01:00".
std::string FormatLocalTimestamp(int32_t sec, int32_t ms);

// A JSON string literal. Bytes that are not UTF-8 (a names file in Latin-1)
// are taken as Latin-1, so the text stays readable and the JSON valid.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace corvalis
