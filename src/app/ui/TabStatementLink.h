#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "script/ScriptHost.h"

class QWidget;

namespace corvalis {

class AppContext;
class RWCommanderPage;
class TagSimPage;

// The script statements that drive the tabs: the tag simulator, the RW
// Commander, the R/W Tag Test, the Tags Seen table and its record controls,
// and "Push" of the reader control window's buttons. Statements it does not
// own go on to `next`.
class TabStatementLink final : public ScriptTabs {
 public:
  struct Tabs {
    TagSimPage& tagSim;
    RWCommanderPage& commander;
    QWidget& tagsSeen;       // its Clear button and the record controls
    QWidget& readerControl;  // btnSetTime, btnTxOn, btnTxOff
  };
  TabStatementLink(AppContext& context, const Tabs& tabs, ScriptTabs& next);
  ~TabStatementLink() override;

  TabOutcome RunTabStatement(std::string_view statement, std::string_view args) override;
  std::optional<std::string> FieldText(std::string_view field) const override;
  int DataPagesExpected() const override;

 private:
  TabOutcome RunTagTestStatement(std::string_view statement, std::string_view args);
  TabOutcome RunTagsSeenStatement(std::string_view statement, std::string_view args);
  TabOutcome Push(std::string_view button);

  AppContext& context_;
  Tabs tabs_;
  ScriptTabs& next_;
};

}  // namespace corvalis
