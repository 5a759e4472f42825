#pragma once

#include "tags/TagRecord.h"

namespace corvalis {

struct PageMergeOptions {
  bool useVoting = false;
  bool onlyMaxCount = true;
};

// Merges the kPageSlotCount pages a page read brought (those with a count
// above 0) into a record: each page keeps two candidate contents with their
// counts and the one to show sits in the primary slot.
void MergePages(TagRecord& entry, const PageSlot* pages, PageMergeOptions options);

// Empties every page slot of a record.
void ClearPages(TagRecord& record);

}  // namespace corvalis
