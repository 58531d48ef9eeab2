#pragma once
// While a read runs the control must keep the focus: its focus loss cancels
// the read. The lock moves the focus to the control, takes the focus policy
// from every other widget of the form and disables the ones that edit
// something, and gives both back when the read ends.
#include <QPointer>
#include <QWidget>
#include <utility>
#include <vector>

namespace travimo::gui {

class FormLock {
 public:
  // keeper and its children keep their focus; readOnly widgets are disabled.
  void Engage(QWidget& form, QWidget& keeper, const std::vector<QWidget*>& readOnly);
  void Release();
  bool Engaged() const { return engaged_; }

 private:
  std::vector<std::pair<QPointer<QWidget>, Qt::FocusPolicy>> policies_;
  std::vector<QPointer<QWidget>> disabled_;
  bool engaged_ = false;
};

}  // namespace travimo::gui
