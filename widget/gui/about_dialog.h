#pragma once
// The control's About page as a dialog: icon and title, version, two lines.
#include <QDialog>

#include "control/about_page.h"

namespace travimo::gui {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  AboutDialog(const AboutPage& page, QWidget* parent = nullptr);
};

}  // namespace travimo::gui
