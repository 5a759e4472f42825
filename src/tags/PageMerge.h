#pragma once

#include "tags/TagRecord.h"

namespace corvalis {

// Which of a page's two contents is shown (sits in the primary slot):
// - voting: the most-read one; on equal counts the shown one stays;
// - else "Only Max cnt": the latest one, but only once it has been read at
//   least as often as the shown one;
// - else the latest one.
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
