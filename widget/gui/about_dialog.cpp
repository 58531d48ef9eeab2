#include "widget/gui/about_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace travimo::gui {

namespace {

QLabel* LabelFor(const AboutElement& element, QWidget* parent) {
  auto* label = new QLabel(QString::fromStdString(element.Displayed()), parent);
  label->setObjectName(QString::fromStdString(element.name));
  label->setTextFormat(Qt::PlainText);
  if (element.bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  return label;
}

// The page's icon, drawn here: the icon file belongs to the original form.
QPixmap IconPixmap(const QPalette& palette) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(0, 0xC0, 0xC0));
  painter.setPen(palette.color(QPalette::Dark));
  painter.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 5, 5);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(20);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, "T");
  return pixmap;
}

}  // namespace

AboutDialog::AboutDialog(const AboutPage& page, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromStdString(page.name));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  layout->addLayout(top);
  for (const auto& element : page.elements) {
    if (element.image) {
      auto* image = new QLabel(this);
      image->setObjectName(QString::fromStdString(element.name));
      image->setPixmap(IconPixmap(palette()));
      top->insertWidget(0, image);
    } else if (element.name == "Label1") {
      top->addWidget(LabelFor(element, this), 1);
    } else {
      layout->addWidget(LabelFor(element, this));
    }
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}

}  // namespace travimo::gui
