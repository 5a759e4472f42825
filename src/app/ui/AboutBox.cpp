#include "app/ui/AboutBox.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Settings.h"

namespace corvalis {
namespace {

QLabel* Line(const char* name, const QString& text) {
  auto* label = new QLabel(text);
  label->setObjectName(QLatin1String(name));
  return label;
}

// A reader antenna sending to a tag, drawn so the box needs no image file.
QPixmap ProgramPicture() {
  QPixmap picture(64, 64);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0, 90, 160), 3));
  painter.drawLine(12, 52, 12, 20);
  painter.drawEllipse(QPointF(12, 16), 4, 4);
  for (int r = 10; r <= 26; r += 8)
    painter.drawArc(QRectF(12 - r, 16 - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
  painter.setBrush(QColor(240, 200, 40));
  painter.setPen(QPen(Qt::black, 1.5));
  painter.drawRoundedRect(QRectF(40, 34, 20, 26), 3, 3);
  return picture;
}

}  // namespace

AboutBox::AboutBox(const Settings& settings, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(tr("About"));
  setModal(true);

  imgProgramIcon = Line("imgProgramIcon", QString());
  imgProgramIcon->setPixmap(ProgramPicture());
  ProductName = Line("ProductName", settings.String(Setting::line1));
  QFont big = ProductName->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  ProductName->setFont(big);
  lblLine2 = Line("lblLine2", settings.String(Setting::line2));
  QFont second = lblLine2->font();
  second.setPointSizeF(second.pointSizeF() * 1.2);
  lblLine2->setFont(second);
  Version = Line("Version", VersionText());
  Comments = Line("Comments", settings.String(Setting::line5));
  Comments2 = Line("Comments2", settings.String(Setting::line6));
  Comments3 = Line("Comments3", settings.String(Setting::line7));
  lblConsole = Line("lblConsole", tr("Corvalis RFID reader console"));
  OKButton = new QPushButton(tr("OK"));
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);

  auto* titles = new QVBoxLayout;
  titles->addWidget(ProductName);
  titles->addWidget(lblLine2);
  titles->addWidget(Version);
  titles->addStretch();
  auto* head = new QHBoxLayout;
  head->addWidget(imgProgramIcon, 0, Qt::AlignTop);
  head->addSpacing(12);
  head->addLayout(titles, 1);

  auto* rule = new QFrame;
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKButton);
  buttons->addStretch();

  auto* top = new QVBoxLayout(this);
  top->addLayout(head);
  top->addWidget(rule);
  top->addWidget(Comments);
  top->addWidget(Comments2);
  top->addWidget(Comments3);
  top->addSpacing(8);
  top->addWidget(lblConsole);
  top->addSpacing(8);
  top->addLayout(buttons);
  top->setContentsMargins(16, 16, 16, 12);
  top->setSizeConstraint(QLayout::SetFixedSize);
  top->addStrut(320);

  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

QString AboutBox::VersionText() {
  return tr("Version ") + QStringLiteral(CORVALIS_VERSION);
}

}  // namespace corvalis
