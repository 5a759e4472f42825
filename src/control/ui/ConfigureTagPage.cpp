#include "control/ui/ConfigureTagPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "control/ui/CommandWordEditor.h"
#include "control/ui/RWCommanderPage.h"

namespace corvalis {

ConfigureTagPage::ConfigureTagPage(RWCommanderPage& commander, QWidget* parent)
    : QWidget(parent), commander_(commander) {
  setObjectName(QStringLiteral("tbsConfigureTag"));
  editor = new CommandWordEditor(CommandWordEditor::Kind::kConfigureTag, this);
  btnTCLoad = new QPushButton(this);
  btnTCLoad->setObjectName(QStringLiteral("btnTCLoad"));
  btnTCTransmit = new QPushButton(this);
  btnTCTransmit->setObjectName(QStringLiteral("btnTCTransmit"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnTCLoad);
  buttons->addWidget(btnTCTransmit);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(editor);
  layout->addLayout(buttons);
  layout->addStretch();
  connect(btnTCLoad, &QPushButton::clicked, this, &ConfigureTagPage::Load);
  connect(btnTCTransmit, &QPushButton::clicked, this, &ConfigureTagPage::Transmit);
  connect(&commander_, &RWCommanderPage::generationToggled, this,
          &ConfigureTagPage::FollowGeneration);
  CopyFromCommander();
}

void ConfigureTagPage::FollowGeneration() {
  const bool second = commander_.SecondGenerationChosen();
  editor->SetSecondGeneration(second);
  btnTCLoad->setText(second ? QStringLiteral("Get") : QStringLiteral("Load"));
  btnTCTransmit->setText(second ? QStringLiteral("Send") : QStringLiteral("Transmit"));
}

void ConfigureTagPage::CopyFromCommander() {
  FollowGeneration();
  editor->CopyOptionsFrom(commander_.Editor());
}

void ConfigureTagPage::CopyToCommander() {
  commander_.Editor().CopyFrom(*editor);
  // A first-generation string may have been typed here.
  commander_.Editor().SetCommandText(editor->CommandText());
}

void ConfigureTagPage::Load() {
  CopyToCommander();
  commander_.Load();
}

void ConfigureTagPage::Transmit() {
  CopyToCommander();
  commander_.Transmit();
}

void ConfigureTagPage::showEvent(QShowEvent* event) {
  CopyFromCommander();
  QWidget::showEvent(event);
}

}  // namespace corvalis
