#pragma once

#include <QWidget>

class QPushButton;

namespace corvalis {

class CommandWordEditor;
class RWCommanderPage;

// The Configure Tag tab page: a second editor of the command word with its
// own controls (prefix "TC"). Its Load and Transmit hand this tab's word,
// tag ID and CRC choice to the RW Commander and run the commander's
// operation, so what is shown here is what goes out.
class ConfigureTagPage final : public QWidget {
  Q_OBJECT

 public:
  ConfigureTagPage(RWCommanderPage& commander, QWidget* parent = nullptr);

  // Entering the tab: the RW Commander's tamper, delay, rate, pages and
  // option boxes come in.
  void CopyFromCommander();
  void Load();
  void Transmit();

  CommandWordEditor& Editor() { return *editor; }

 private:
  CommandWordEditor* editor;  // the ...TC... controls
  QPushButton* btnTCLoad;
  QPushButton* btnTCTransmit;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CopyToCommander();
  void FollowGeneration();

  RWCommanderPage& commander_;
};

}  // namespace corvalis
