#include "tags/TagTable.h"

#include "tags/BasicTagTableImpl.h"

namespace corvalis {

template class BasicTagTable<HashedTagIndex>;

}  // namespace corvalis
