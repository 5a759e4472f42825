#include "app/ui/EngineeringPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

#include "app/Settings.h"
#include "common/ui/ChannelCombo.h"
#include "common/ui/Named.h"

namespace corvalis {
namespace {

QSpinBox* Spin(const char* name, int minimum, int maximum) {
  auto* spin = Named(new QSpinBox, name);
  spin->setRange(minimum, maximum);
  return spin;
}

}  // namespace

FastMultiplexPage::FastMultiplexPage(QWidget* parent) : QWidget(parent) {
  auto* row = new QHBoxLayout;
  for (int ch = 0; ch < kReaderChannelCount; ++ch) {
    QCheckBox*& box = channels_[static_cast<size_t>(ch)];
    box = Named(new QCheckBox(QStringLiteral("Chan %1").arg(ch + 1)),
                QStringLiteral("ckbFMC%1").arg(ch + 1));
    row->addWidget(box);
    connect(box, &QCheckBox::toggled, this, &FastMultiplexPage::channelsChanged);
  }
  row->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addStretch();
}

bool FastMultiplexPage::TakesPart(int channel) const {
  return channel >= 0 && channel < kReaderChannelCount &&
         channels_[static_cast<size_t>(channel)]->isChecked();
}

RwDataPage::RwDataPage(QWidget* parent)
    : QWidget(parent),
      channel_(NewChannelCombo("cmbQ2DChannel")),
      readerId_(Spin("speQ2DReaderID", 0, 255)),
      firstPage_(Spin("speDataFirstPage", 0, 15)),
      // The command word's four-bit page count.
      pageCount_(Spin("speDataNumPages", 0, 15)),
      showId_(Named(new QCheckBox(QStringLiteral("Show ID")), "ckbDataShowID")) {
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Channel"), channel_);
  form->addRow(QStringLiteral("Reader ID"), readerId_);
  form->addRow(QStringLiteral("First page"), firstPage_);
  form->addRow(QStringLiteral("Pages"), pageCount_);
  form->addRow(showId_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addStretch();
  for (QSpinBox* spin : {firstPage_, pageCount_}) {
    connect(spin, &QSpinBox::valueChanged, this,
            [this] { Q_EMIT pagesChanged(firstPage_->value(), pageCount_->value()); });
  }
}

void RwDataPage::SetPages(int startPage, int numPages) {
  // A mirror does not echo back to the commander.
  const QSignalBlocker blockFirst(firstPage_);
  const QSignalBlocker blockCount(pageCount_);
  firstPage_->setValue(startPage);
  pageCount_->setValue(numPages);
}

void RwDataPage::LoadFromSettings(const Settings& settings) {
  channel_->setCurrentIndex(
      std::clamp(settings.Integer(Setting::Q2CommandChan), 0, kChannelCount - 1));
  readerId_->setValue(settings.Integer(Setting::Q2CommandReaderID));
  firstPage_->setValue(settings.Integer(Setting::DataFirstPage));
  pageCount_->setValue(settings.Integer(Setting::DataNumPages));
  showId_->setChecked(settings.Bool(Setting::RWDataShowID));
}

void RwDataPage::StoreToSettings(Settings& settings) const {
  settings.SetInteger(Setting::DataFirstPage, firstPage_->value());
  settings.SetInteger(Setting::DataNumPages, pageCount_->value());
  settings.SetBool(Setting::RWDataShowID, showId_->isChecked());
}

int RwDataPage::Channel() const {
  return channel_->currentIndex();
}

TempTestPage::TempTestPage(QWidget* parent)
    : QWidget(parent),
      tripTemperature_(Spin("speTempTrip", -99999, 99999)),
      interval_(Spin("speTempInterval", -99999, 99999)) {
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Trip temperature"), tripTemperature_);
  form->addRow(QStringLiteral("Interval"), interval_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addStretch();
}

void TempTestPage::LoadFromSettings(const Settings& settings) {
  tripTemperature_->setValue(settings.Integer(Setting::TempTestTripTemp));
  interval_->setValue(settings.Integer(Setting::TempTestInterval));
}

void TempTestPage::StoreToSettings(Settings& settings) const {
  settings.SetInteger(Setting::TempTestTripTemp, tripTemperature_->value());
  settings.SetInteger(Setting::TempTestInterval, interval_->value());
}

}  // namespace corvalis
