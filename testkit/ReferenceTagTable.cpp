#include "testkit/ReferenceTagTable.h"

#include "tags/BasicTagTableImpl.h"

namespace corvalis {

template class BasicTagTable<LinearTagIndex>;

}  // namespace corvalis
