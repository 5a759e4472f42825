#pragma once

#include "tags/BasicTagTable.h"
#include "tags/TagIndex.h"

namespace corvalis {

extern template class BasicTagTable<HashedTagIndex>;

// The tag table the application uses: passes, seen entries and channel-list
// entries are found through hash indexes in constant time.
class TagTable final : public BasicTagTable<HashedTagIndex> {
 public:
  using BasicTagTable::BasicTagTable;
};

}  // namespace corvalis
