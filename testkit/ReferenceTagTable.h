#pragma once

#include "tags/BasicTagTable.h"
#include "testkit/LinearTagIndex.h"

namespace corvalis {

extern template class BasicTagTable<LinearTagIndex>;

// The same table finding every record by walking the tables in order. It is
// the yardstick for TagTable: tests feed both the same reads and expect the
// same results, benchmarks compare their cost.
class ReferenceTagTable final : public BasicTagTable<LinearTagIndex> {
 public:
  using BasicTagTable::BasicTagTable;
};

}  // namespace corvalis
