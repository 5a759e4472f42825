#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/firmware/FirmwareDownload.h"

namespace corvalis::testing {

// A download view that keeps only the status messages, in order.
struct StatusView final : DownloadView {
  void ShowStatusMessage(std::string_view text) override { statuses.emplace_back(text); }
  void ShowSentLine(std::string_view, int) override {}
  void ShowIncoming(std::string_view) override {}
  void ShowState() override {}
  void CloseNoReplyNotice() override {}
  std::vector<std::string> statuses;
};

}  // namespace corvalis::testing
