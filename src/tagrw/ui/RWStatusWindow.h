#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "protocol/CommandHooks.h"
#include "protocol/ReaderCommandSender.h"
#include "tagrw/RwStatus.h"

class QCheckBox;
class QLabel;
class QRadioButton;

namespace corvalis {

// "RW Status": the controller's read/write state from "0026", and its
// options, sent with "0228" or read back with "ff28" (Shift held).
class RWStatusWindow final : public QWidget, private ReplyRoute {
  Q_OBJECT

 public:
  // The main send channel and reader ID.
  RWStatusWindow(ReaderCommandSender& commands, std::function<int()> channel,
                 std::function<int()> readerId, QWidget* parent = nullptr);
  ~RWStatusWindow() override;

  void Get();
  void Send(bool readBack);
  RwOptions ChosenOptions() const;

 private:
  void TakeReply(const ReplyView& reply) override;
  void ShowStatus(const RwStatus& status);
  void ShowOptions(const RwOptions& options);

  ReaderCommandSender& commands_;
  std::function<int()> channel_;
  std::function<int()> readerId_;
  std::array<QCheckBox*, 16> state_{};
  std::array<QCheckBox*, 8> options_{};
  QCheckBox* ckbGen = nullptr;
  std::array<QRadioButton*, 4> crc_{};
  QLabel* lblCommand = nullptr;
  QLabel* lblPages = nullptr;
  QLabel* lblRetries = nullptr;
  QLabel* lblCode = nullptr;
  QLabel* lblTarget = nullptr;
};

}  // namespace corvalis
