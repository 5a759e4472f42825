#include "tags/PageMerge.h"

#include <cstring>
#include <utility>

namespace corvalis {
namespace {

void AddCounts(PageContent& slot, const PageContent& content) {
  AddCount(slot.count, content.count);
  AddCount(slot.iCount, content.iCount);
  AddCount(slot.qCount, content.qCount);
  slot.hasData = 1;
}

}  // namespace

void MergePages(TagRecord& entry, const PageSlot* pages, PageMergeOptions options) {
  for (int p = 0; p < kPageSlotCount; ++p) {
    const PageSlot& incoming = pages[p];
    const PageContent& content = incoming.primary;
    if (content.count <= 0) continue;
    PageSlot& slot = entry.pages[p];
    AddCount(slot.pageReads, incoming.pageReads);

    bool wentToAlternate = false;
    if (std::strncmp(content.text, slot.primary.text, sizeof content.text) == 0) {
      AddCounts(slot.primary, content);
    } else if (std::strncmp(content.text, slot.alternate.text, sizeof content.text) == 0) {
      AddCounts(slot.alternate, content);
      wentToAlternate = true;
    } else {
      // A new content replaces the weaker candidate; an empty alternate is
      // taken before a held primary is given up.
      const bool primaryHas = slot.primary.hasData != 0;
      const bool alternateHas = slot.alternate.hasData != 0;
      if (primaryHas != alternateHas) {
        wentToAlternate = primaryHas;
      } else {
        wentToAlternate = slot.primary.count >= slot.alternate.count;
      }
      PageContent& target = wentToAlternate ? slot.alternate : slot.primary;
      target = content;
      target.hasData = 1;
    }

    bool exchange;
    if (options.useVoting) {
      exchange = slot.primary.count < slot.alternate.count;
    } else if (options.onlyMaxCount) {
      exchange = wentToAlternate && slot.alternate.count >= slot.primary.count;
    } else {
      exchange = wentToAlternate;
    }
    if (exchange) std::swap(slot.primary, slot.alternate);
  }
}

void ClearPages(TagRecord& record) {
  for (PageSlot& slot : record.pages) slot = PageSlot{};
}

}  // namespace corvalis
