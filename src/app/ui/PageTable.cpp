#include "app/ui/PageTable.h"

#include <cstddef>

namespace corvalis {
namespace {

// In page order (Page).
const PageDef kPages[kPageCount] = {
    {"tbsTagsSeen", "Tags Seen", std::nullopt, "mnuTagsSeenTab", "&Tags Seen Tab", false},
    {"tbsDiagnostics", "Diagnostics", Setting::ShowDiagnostics, "mnuDiagnosticsTab",
     "&Diagnostics Tab", false},
    {"tbsTagNames", "Tag Names", std::nullopt, "mnuTagNamesTab", "Tag &Names Tab", false},
    {"tbsDownload", "Download", Setting::ShowDownloadTab, "mnuDownloadTab", "Do&wnload Tab", true},
    {"tbsTagSimControls", "TagSim Controls", Setting::ShowTagSimTab, "mnuTagSimTab", "Tag&Sim Tab",
     true},
    {"tbsRWCommander", "RW Commander", Setting::ShowQ2CommandTab, "mnuQ2CommanderTab",
     "&Q2 Commander Tab", true},
    {"tbsConfigureTag", "Configure Tag", std::nullopt, nullptr, nullptr, false},
    {"tbsRWTagTest", "R/W Tag Test", Setting::ShowRWTestTab, "mnuRWTagTestTab", "R/&W Tag Test Tab",
     true},
    {"tbsFastMultiplex", "Fast Multiplex", Setting::ShowFMTab, nullptr, nullptr, false},
    {"tbsQ2DataDisplay", "RW Data", Setting::ShowQ2DTab, nullptr, nullptr, false},
    {"tbsReaderTester", "RT", Setting::ShowRTTab, "mnuRTTab", "&Reader Test", true},
    {"tbsTTOProgrammer", "TTO Programmer", Setting::ShowTTOPrgTab, nullptr, nullptr, false},
    {"tbsMultiPage", "Multi Page", Setting::ShowMultiPageTab, nullptr, nullptr, false},
    {"tbsDecoderControl", "Decoder Control", std::nullopt, nullptr, nullptr, false},
    {"tbsTTODisplay", "TTO Display", std::nullopt, nullptr, nullptr, false},
    {"tbsDebugTab", "Debug", Setting::ShowDebugTab, nullptr, nullptr, false},
    {"tbsDemos", "Demos", std::nullopt, nullptr, nullptr, false},
    {"tbsMessageFormat", "Composite Message", std::nullopt, nullptr, nullptr, false},
    {"tbsHopping", "Hopping", std::nullopt, nullptr, nullptr, false},
    {"tbsTempTest", "Temp Test", std::nullopt, nullptr, nullptr, false},
    {"tbsModbusTCP", "Modbus TCP", std::nullopt, nullptr, nullptr, false},
};

}  // namespace

const PageDef& Def(Page page) {
  return kPages[static_cast<size_t>(page)];
}

}  // namespace corvalis
