#include "control/ui/ReaderControlMenu.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>

#include "app/AppContext.h"
#include "common/ChannelIndex.h"
#include "common/ui/Named.h"
#include "control/ReaderConfigBodies.h"
#include "control/ReaderControlBodies.h"
#include "control/ui/ReaderControlWindow.h"
#include "control/ui/ReaderSmallDialogs.h"

namespace corvalis {
namespace {

QString EventTimeoutCaption(int seconds) {
  return QStringLiteral("&Set Event Timeout (%1s)...").arg(seconds);
}

QString BeepCaption(int duration) {
  return QStringLiteral("&Set Beep duration (%1ms)...").arg(duration * 10);
}

}  // namespace

ReaderControlMenu::ReaderControlMenu(AppContext& context, ReaderControlWindow& panel,
                                     ReaderMenuTargets targets, QWidget* dialogParent)
    : QObject(dialogParent),
      context_(context),
      panel_(panel),
      targets_(std::move(targets)),
      eventTimeoutDialog_(new ValueDialog("frmSetEventTimeout", QStringLiteral("Set Event Timeout"),
                                          QStringLiteral("Event timeout (s)"), "speEventTimeout", 1,
                                          255, dialogParent)),
      beepTimeDialog_(new ValueDialog("frmBeepTime", QStringLiteral("Set Beep Time"),
                                      QStringLiteral("Beep time (x 10 ms)"), "speBeepTime", 1, 100,
                                      dialogParent)),
      tagSelectDialog_(new TagSelectDialog(dialogParent)) {}

QMenu* ReaderControlMenu::Submenu(QMenu* parent, const char* name, const char* caption) {
  QMenu* menu = Named(parent->addMenu(QString::fromLatin1(caption)), name);
  menu->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item"));
  return menu;
}

QAction* ReaderControlMenu::Item(QMenu* menu, const char* name, const QString& caption,
                                 std::function<void()> run) {
  QAction* action = Named(menu->addAction(caption), name);
  connect(action, &QAction::triggered, this, std::move(run));
  return action;
}

void ReaderControlMenu::Build(QMenu* reader) {
  QMenu* beep = Submenu(reader, "mnuBeep", "&Beep");
  beepTimeItem_ =
      Item(beep, "mnuSetBeepDuration", BeepCaption(context_.readerConfig().settings().beepDuration),
           [this] { ChooseBeepTime(); });
  const struct {
    const char* name;
    const char* caption;
    int mode;
  } kBeeps[] = {{"mnuNoBeep", "&No Beep", 0x00},
                {"mnuBeepOnSee", "Beep on S&ee", 0x40},
                {"mnuBeepOnSend", "Beep on Sen&d", 0x20},
                {"mnuBeepOnSeeAndSend", "Beep on See && Send", 0x60}};
  for (const auto& item : kBeeps) {
    const int mode = item.mode;
    Item(beep, item.name, QString::fromLatin1(item.caption), [this, mode] {
      SendBody(BeepBody(mode, context_.readerConfig().settings().beepDuration));
    });
  }

  QMenu* crc = Submenu(reader, "mnuCRC", "&CRC");
  Item(crc, "mnuCrcR5180", QStringLiteral("R5180"), [this] { SendIndex(4); });
  Item(crc, "mnuCrcKVQ", QStringLiteral("KVQ"), [this] { SendIndex(5); });
  Item(crc, "mnuCrcBoth", QStringLiteral("Both"), [this] { SendIndex(7); });
  Item(crc, "mnuCrcOne", QStringLiteral("One"), [this] { SendIndex(8); });
  Item(crc, "mnuCrcIgnore", QStringLiteral("Ignore"), [this] { SendIndex(6); });
  Item(crc, "mnuCrcQ3Q5", QStringLiteral("Q3  Q5"),
       [this] { SendBody(ButtonBody(ReaderButton::kCrcQ3Q5, false)); });

  QMenu* mode = Submenu(reader, "mnuMessageMode", "Message &Mode");
  const char* const kModes[][2] = {{"mnuModeNormal", "Normal"},
                                   {"mnuModeTrigger1", "Trigger1"},
                                   {"mnuModeTrigger2", "Trigger2"},
                                   {"mnuModeEvent", "Event"},
                                   {"mnuModeFirstLastSeen", "First/Last Seen"}};
  for (int m = 0; m < 5; ++m) {
    Item(mode, kModes[m][0], QString::fromLatin1(kModes[m][1]), [this, m] { SendMode(m); });
  }
  mode->addSeparator();
  eventTimeoutItem_ = Item(mode, "mnuSetEventTimeout",
                           EventTimeoutCaption(context_.readerConfig().settings().eventTimeout),
                           [this] { ChooseEventTimeout(); });

  QMenu* format = Submenu(reader, "mnuMessageFormat", "Message &Format");
  const struct {
    const char* name;
    const char* caption;
    FormatPreset preset;
  } kPresets[] = {{"mnuFormatStandard", "Standard", FormatPreset::kStandard},
                  {"mnuFormatReduced", "Reduced", FormatPreset::kReducedMenu},
                  {"mnuFormatExtended", "Extended", FormatPreset::kExtended}};
  for (const auto& item : kPresets) {
    const FormatPreset preset = item.preset;
    Item(format, item.name, QString::fromLatin1(item.caption), [this, preset] {
      panel_.ApplyFormatPreset(preset);
      panel_.SendMessageFormat(targets_.sendChannel(), targets_.readerId());
    });
  }

  QMenu* outputs = Submenu(reader, "mnuOutputs", "&Outputs");
  Item(outputs, "mnuTxOn", QStringLiteral("Tx O&n"), [this] { SendIndex(kRfOn); });
  Item(outputs, "mnuTxOff", QStringLiteral("Tx O&ff"), [this] { SendIndex(kRfOff); });
  Item(outputs, "mnuAux1", QStringLiteral("Aux = &1"), [this] { SendIndex(kAuxOn); });
  Item(outputs, "mnuAux0", QStringLiteral("Aux = &0"), [this] { SendIndex(kAuxOff); });
  for (int synth = 0; synth < 4; ++synth) {
    Item(outputs, QStringLiteral("mnuSetSynth%1").arg(synth).toLatin1().constData(),
         QStringLiteral("Set Synth %1").arg(synth), [this, synth] { SendIndex(14 + synth); });
  }
  Item(outputs, "mnuSleep", QStringLiteral("Sleep"),
       [this] { SendBody(ButtonBody(ReaderButton::kSleepOn, false)); });
  Item(outputs, "mnuSleepOff", QStringLiteral("Sleep Off"),
       [this] { SendBody(ButtonBody(ReaderButton::kSleepOff, false)); });

  QMenu* baud = Submenu(reader, "mnuTagBaud", "T&ag Baud");
  const struct {
    const char* name;
    const char* caption;
    int code;
  } kBauds[] = {{"mnuTagBaud256k", "256k", 3},
                {"mnuTagBaud128k", "128k", 2},
                {"mnuTagBaud64k", "64k", 1},
                {"mnuTagBaud32k", "32k", 0}};
  for (const auto& item : kBauds) {
    const int code = item.code;
    Item(baud, item.name, QString::fromLatin1(item.caption), [this, code] { SetTagBaud(code); });
  }

  QMenu* time = Submenu(reader, "mnuTimeStats", "&Time/Stats");
  Item(time, "mnuSetTime", QStringLiteral("Set Time"), [this] { SendIndex(kSetDateTime); });
  Item(time, "mnuGetTime", QStringLiteral("Get Time"), [this] { SendIndex(kGetDateTime); });
  Item(time, "mnuGetStats", QStringLiteral("Get Stats"), [this] { SendIndex(kGetStats); });

  QMenu* other = Submenu(reader, "mnuOther", "Other");
  Item(other, "mnuFactDef", QStringLiteral("Fact Def"),
       [this] { SendBody(ButtonBody(ReaderButton::kFactoryDefaults, false)); });
  Item(other, "mnuReset", QStringLiteral("Reset"), [this] { SendIndex(kReset); });

  QMenu* filters = Submenu(reader, "mnuTagFiltering", "Tag Filtering");
  Item(filters, "mnuSpecifyPatterns", QStringLiteral("Specify Patterns/Masks ..."),
       [this] { ChooseFilters(); });
  Item(filters, "mnuAcceptPattern", QStringLiteral("Accept Pattern"), [this] { SendFilter(0x30); });
  Item(filters, "mnuAcceptMask", QStringLiteral("Accept Mask"), [this] { SendFilter(0x31); });
  Item(filters, "mnuRejectPattern", QStringLiteral("Reject Pattern"), [this] { SendFilter(0x32); });
  Item(filters, "mnuRejectMask", QStringLiteral("Reject Mask"), [this] { SendFilter(0x33); });
  Item(filters, "mnuWriteToEEPROM", QStringLiteral("Write To EEPROM"),
       [this] { SendBody(ButtonBody(ReaderButton::kWriteFiltersToEeprom, false)); });
  Item(filters, "mnuSendAllPatterns", QStringLiteral("Send All patterns"),
       [this] { SendAllFilters(); });

  QMenu* tto = Submenu(reader, "mnuTTOSettings", "TTO Settings");
  auto sendTto = [this](int pages) {
    const int channel = targets_.commanderChannel();
    context_.readerConfig().Send(channel, targets_.commanderReaderId(), TtoPagesBody(pages));
  };
  Item(tto, "mnuDisableTTO", QStringLiteral("Disable TTO"), [sendTto] { sendTto(0); });
  for (int pages = 1; pages <= 15; ++pages) {
    const QString caption = pages == 1 ? QStringLiteral("Expect 1 TTO page")
                                       : QStringLiteral("Expect %1 TTO pages").arg(pages);
    Item(tto, QStringLiteral("mnuExpect%1TTOPages").arg(pages).toLatin1().constData(), caption,
         [sendTto, pages] { sendTto(pages); });
  }
}

void ReaderControlMenu::SendIndex(int index) {
  const int channel = targets_.sendChannel();
  if (IsValidChannel(channel)) {
    context_.console().SendPredefinedCommand(channel, targets_.readerId(), index);
  }
}

void ReaderControlMenu::SendBody(const std::string& body) {
  context_.readerConfig().Send(targets_.sendChannel(), targets_.readerId(), body);
}

void ReaderControlMenu::SendMode(int mode) {
  // The menu's "First/Last Seen" is mode 4, the panel's 5: both as readers had them.
  panel_.ShowMessageMode(mode);
  ReaderConfiguration& config = context_.readerConfig();
  config.settings().messageMode = mode;
  if (IsValidChannel(targets_.sendChannel())) {
    config.SendMessageMode(targets_.sendChannel(), targets_.readerId(), mode);
  }
}

void ReaderControlMenu::SetTagBaud(int code) {
  panel_.ShowTagBaud(code);
  ReaderConfiguration& config = context_.readerConfig();
  const int channel = targets_.sendChannel();
  if (!IsValidChannel(channel)) {
    config.SetTagBaudCode(code);
    return;
  }
  if (!config.SetTagBaud(channel, targets_.readerId(), code)) {
    Refuse(QStringLiteral("A command sequence is still running; the tag baud was not sent"));
  }
}

void ReaderControlMenu::ChooseEventTimeout() {
  ReaderConfiguration& config = context_.readerConfig();
  eventTimeoutDialog_->SetValue(config.settings().eventTimeout);
  if (!Run(*eventTimeoutDialog_)) return;
  config.settings().eventTimeout = eventTimeoutDialog_->Value();
  context_.console().catalogueData().eventTimeout =
      static_cast<uint8_t>(config.settings().eventTimeout);
  eventTimeoutItem_->setText(EventTimeoutCaption(config.settings().eventTimeout));
  panel_.ShowEventTimeout(config.settings().eventTimeout);
}

void ReaderControlMenu::ChooseBeepTime() {
  ReaderConfiguration& config = context_.readerConfig();
  beepTimeDialog_->SetValue(config.settings().beepDuration);
  if (!Run(*beepTimeDialog_)) return;
  config.settings().beepDuration = beepTimeDialog_->Value();
  beepTimeItem_->setText(BeepCaption(config.settings().beepDuration));
}

void ReaderControlMenu::ChooseFilters() {
  ReaderConfiguration& config = context_.readerConfig();
  tagSelectDialog_->SetValues(config.settings().filters);
  if (!Run(*tagSelectDialog_)) return;
  // A runner that accepts without OK's own check must not store bad values.
  const QString problem = tagSelectDialog_->Problem();
  if (!problem.isEmpty()) {
    Refuse(problem);
    return;
  }
  config.settings().filters = tagSelectDialog_->Values();
}

void ReaderControlMenu::SendFilter(int code) {
  const FilterValues& values = context_.readerConfig().settings().filters;
  const std::string* value = code == 0x30   ? &values.selectPattern
                             : code == 0x31 ? &values.selectMask
                             : code == 0x32 ? &values.rejectPattern
                                            : &values.rejectMask;
  const BuiltBodies built = FilterBody(code, *value);
  if (built.Refused()) {
    Refuse(QString::fromStdString(built.message));
    return;
  }
  SendBody(built.bodies.front());
}

void ReaderControlMenu::SendAllFilters() {
  const std::string message =
      context_.readerConfig().SendAllFilters(targets_.sendChannel(), targets_.readerId());
  if (!message.empty()) Refuse(QString::fromStdString(message));
}

bool ReaderControlMenu::Run(QDialog& dialog) {
  return runDialog_ ? runDialog_(dialog) : dialog.exec() == QDialog::Accepted;
}

void ReaderControlMenu::Refuse(const QString& text) {
  if (showMessage_) {
    showMessage_(text);
    return;
  }
  QMessageBox::warning(nullptr, QStringLiteral("Reader Control"), text);
}

}  // namespace corvalis
