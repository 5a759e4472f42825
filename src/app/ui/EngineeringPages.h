#pragma once

#include <QWidget>

#include <array>

#include "common/ChannelIndex.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace corvalis {

class Settings;

// The Fast Multiplex page: which reader channels take part (the status bar
// marks them while the page is active).
class FastMultiplexPage final : public QWidget {
  Q_OBJECT

 public:
  explicit FastMultiplexPage(QWidget* parent = nullptr);
  bool TakesPart(int channel) const;

 Q_SIGNALS:
  void channelsChanged();

 private:
  std::array<QCheckBox*, kReaderChannelCount> channels_{};
};

// The RW Data page: the channel, reader ID and pages its grid reads.
class RwDataPage final : public QWidget {
  Q_OBJECT

 public:
  explicit RwDataPage(QWidget* parent = nullptr);
  void LoadFromSettings(const Settings& settings);
  void StoreToSettings(Settings& settings) const;
  int Channel() const;
  // Its pages mirror the RW Commander's start page and number of pages.
  void SetPages(int startPage, int numPages);
  // The controls the linked selection keeps in step.
  QComboBox* ChannelControl() const { return channel_; }
  QSpinBox* ReaderIdControl() const { return readerId_; }

 Q_SIGNALS:
  void pagesChanged(int startPage, int numPages);

 private:
  QComboBox* channel_;
  QSpinBox* readerId_;
  QSpinBox* firstPage_;
  QSpinBox* pageCount_;
  QCheckBox* showId_;
};

// The Temp Test page: its trip temperature and interval.
class TempTestPage final : public QWidget {
  Q_OBJECT

 public:
  explicit TempTestPage(QWidget* parent = nullptr);
  void LoadFromSettings(const Settings& settings);
  void StoreToSettings(Settings& settings) const;

 private:
  QSpinBox* tripTemperature_;
  QSpinBox* interval_;
};

}  // namespace corvalis
