#pragma once

#include <QObject>

#include <functional>

class QAction;
class QDialog;
class QMenu;

namespace corvalis {

class AppContext;
class ReaderControlWindow;
class TagSelectDialog;
class ValueDialog;

// Where the "&Reader Control" menu sends: the main send channel and
// `speReaderID`, and for TTO settings the commander's channel and reader ID.
struct ReaderMenuTargets {
  std::function<int()> sendChannel;
  std::function<int()> readerId;
  std::function<int()> commanderChannel;
  std::function<int()> commanderReaderId;
};

// The reader command submenus of "&Reader Control" and their three small
// dialogs. The panel shows what the menu stores (mode, event timeout, tag
// baud) and builds the message-format presets.
class ReaderControlMenu final : public QObject {
  Q_OBJECT

 public:
  ReaderControlMenu(AppContext& context, ReaderControlWindow& panel, ReaderMenuTargets targets,
                    QWidget* dialogParent);

  // Adds the submenus to `menu`.
  void Build(QMenu* menu);

  // How a dialog is run; by default modally. Tests answer it.
  void SetDialogRunner(std::function<bool(QDialog&)> run) { runDialog_ = std::move(run); }
  void SetMessageSink(std::function<void(const QString&)> sink) { showMessage_ = std::move(sink); }

 private:
  QMenu* Submenu(QMenu* parent, const char* name, const char* caption);
  QAction* Item(QMenu* menu, const char* name, const QString& caption, std::function<void()> run);
  void SendIndex(int index);
  void SendBody(const std::string& body);
  void SendMode(int mode);
  void SetTagBaud(int code);
  void ChooseEventTimeout();
  void ChooseBeepTime();
  void ChooseFilters();
  void SendFilter(int code);
  void SendAllFilters();
  bool Run(QDialog& dialog);
  void Refuse(const QString& text);

  AppContext& context_;
  ReaderControlWindow& panel_;
  ReaderMenuTargets targets_;
  ValueDialog* eventTimeoutDialog_;
  ValueDialog* beepTimeDialog_;
  TagSelectDialog* tagSelectDialog_;
  QAction* eventTimeoutItem_ = nullptr;
  QAction* beepTimeItem_ = nullptr;
  std::function<bool(QDialog&)> runDialog_;
  std::function<void(const QString&)> showMessage_;
};

}  // namespace corvalis
