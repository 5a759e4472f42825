#pragma once

#include <QWidget>

#include <array>

#include "protocol/CommandHooks.h"

class QCheckBox;
class QPushButton;

namespace corvalis {

class AppContext;
class ReaderControlWindow;

// The second reader panel: the reader's input/output configuration
// (command 0x19), read with "Get" (0x1b) and the Out1 line set directly
// (0x1c). It uses the reader control panel's channel and reader ID.
class ConfigReader2Window final : public QWidget, public ReplyRoute {
  Q_OBJECT

 public:
  ConfigReader2Window(AppContext& context, const ReaderControlWindow& panel,
                      QWidget* parent = nullptr);
  ~ConfigReader2Window() override;

  // The three (or, with "Lsr" enabled, four) data bytes "Send" carries.
  std::array<int, 4> Bytes() const;

  // The answer to "Get" sets the boxes back; a fourth byte enables "Lsr".
  void TakeReply(const ReplyView& reply) override;

 private:
  void Send();
  int Channel() const;

  AppContext& context_;
  const ReaderControlWindow& panel_;
  std::array<std::array<QCheckBox*, 8>, 3> bits_{};  // byte, bit; null where unused
  QCheckBox* ckbLaser;
  QPushButton* btnSend;
};

}  // namespace corvalis
