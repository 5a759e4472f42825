#pragma once

#include <QLabel>
#include <QWidget>

#include "protocol/CommandHooks.h"

namespace corvalis {

// A small warning that stays above the other windows at the screen's
// top-left corner and does not take the focus from the window in use.
class WarningWindow : public QWidget {
  Q_OBJECT

 public:
  explicit WarningWindow(const QString& caption, QWidget* parent = nullptr);
  void ShowOnTop();
  void HideIfVisible();

 protected:
  QLabel* AddLabel(const char* name, const QString& text);
};

class NoReplyWarning final : public WarningWindow {
  Q_OBJECT

 public:
  explicit NoReplyWarning(QWidget* parent = nullptr);

 private:
  QLabel* lblNoReply;
  QLabel* lblCheckReader;
  QLabel* lblCheckChannel;
  QLabel* lblCheckCable;
  QLabel* lblCheckPort;
  QLabel* lblCheckReaderId;
};

class ChannelClosedWarning final : public WarningWindow {
  Q_OBJECT

 public:
  explicit ChannelClosedWarning(QWidget* parent = nullptr);

 private:
  QLabel* lblChannelClosed;
};

class BadCommandWarning final : public WarningWindow {
  Q_OBJECT

 public:
  explicit BadCommandWarning(QWidget* parent = nullptr);
  void SetMessage(const QString& message);

 private:
  QLabel* lblErrorMessage;
};

// The three windows behind the sender's warnings; created once, hidden.
class CommandWarningWindows final : public CommandWarnings {
 public:
  void ShowNoReply() override { noReply_.ShowOnTop(); }
  void HideNoReply() override { noReply_.HideIfVisible(); }
  void ShowChannelClosed() override { channelClosed_.ShowOnTop(); }
  void HideChannelClosed() override { channelClosed_.HideIfVisible(); }
  void ShowBadCommand(std::string_view message) override;
  void HideBadCommand() override { badCommand_.HideIfVisible(); }

  const NoReplyWarning& NoReply() const { return noReply_; }
  const ChannelClosedWarning& ChannelClosed() const { return channelClosed_; }
  const BadCommandWarning& BadCommand() const { return badCommand_; }

 private:
  NoReplyWarning noReply_;
  ChannelClosedWarning channelClosed_;
  BadCommandWarning badCommand_;
};

}  // namespace corvalis
