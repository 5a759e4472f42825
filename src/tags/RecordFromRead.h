#pragma once

#include <cstddef>

#include "protocol/TagRead.h"
#include "tags/TagRecord.h"

namespace corvalis {

// A fresh pass, seen entry or channel-list entry for the tag of `read`: what
// the read carries, its counts as the first ones (both I and Q sums), its ID
// as text, and nothing left over from the tag the record held before. Pages
// are left empty for the caller to merge.
void StartRecordFromRead(TagRecord& record, const TagRead& read);

// Copies a NUL-terminated `text` (null counts as empty) into a fixed field,
// cut to fit.
void CopyText(char* out, size_t size, const char* text);

}  // namespace corvalis
