#pragma once

#include <optional>

#include "app/SettingsKeys.h"

namespace corvalis {

// The tab pages in their order.
enum class Page {
  kTagsSeen,
  kDiagnostics,
  kTagNames,
  kDownload,
  kTagSimControls,
  kRWCommander,
  kConfigureTag,
  kRWTagTest,
  kFastMultiplex,
  kQ2DataDisplay,
  kReaderTester,
  kTTOProgrammer,
  kMultiPage,
  kDecoderControl,
  kTTODisplay,
  kDebugTab,
  kDemos,
  kMessageFormat,
  kHopping,
  kTempTest,
  kModbusTCP,
  kCount
};
inline constexpr int kPageCount = static_cast<int>(Page::kCount);

// What the window and its View menu know of a page.
struct PageDef {
  const char* name;
  const char* caption;
  std::optional<Setting> showKey;
  const char* menuName;  // View menu item, or null
  const char* menuCaption;
  bool menuHiddenWithPage;  // the View item is hidden at start with its page
};

const PageDef& Def(Page page);
inline const PageDef& Def(int index) {
  return Def(static_cast<Page>(index));
}

// "Display All Tabs" turns these on; TTO Programmer and Debug stay as they are.
inline constexpr Page kDisplayAllPages[] = {
    Page::kDiagnostics, Page::kQ2DataDisplay,  Page::kFastMultiplex,
    Page::kDownload,    Page::kTagSimControls, Page::kRWCommander,
    Page::kRWTagTest,   Page::kReaderTester,   Page::kMultiPage,
};

}  // namespace corvalis
