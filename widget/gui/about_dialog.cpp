#include "widget/gui/about_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QStyle>
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

}  // namespace

AboutDialog::AboutDialog(const AboutPage& page, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromStdString(page.name));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  layout->addLayout(top);
  for (const auto& element : page.elements) {
    if (element.image) {
      // The icon file is the original form's; a standard icon stands in for it.
      auto* image = new QLabel(this);
      image->setObjectName(QString::fromStdString(element.name));
      image->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
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
