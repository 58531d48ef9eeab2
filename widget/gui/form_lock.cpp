#include "widget/gui/form_lock.h"

namespace travimo::gui {

void FormLock::Engage(QWidget& form, QWidget& keeper, const std::vector<QWidget*>& readOnly) {
  if (engaged_) return;
  engaged_ = true;
  keeper.setFocus(Qt::OtherFocusReason);
  for (QWidget* widget : form.findChildren<QWidget*>()) {
    if (widget == &keeper || keeper.isAncestorOf(widget)) continue;
    if (widget->focusPolicy() == Qt::NoFocus) continue;
    policies_.emplace_back(widget, widget->focusPolicy());
    widget->setFocusPolicy(Qt::NoFocus);
  }
  for (QWidget* widget : readOnly) {
    if (!widget->isEnabled()) continue;
    disabled_.emplace_back(widget);
    widget->setEnabled(false);
  }
}

void FormLock::Release() {
  if (!engaged_) return;
  engaged_ = false;
  for (auto& [widget, policy] : policies_) {
    if (widget) widget->setFocusPolicy(policy);
  }
  for (auto& widget : disabled_) {
    if (widget) widget->setEnabled(true);
  }
  policies_.clear();
  disabled_.clear();
}

}  // namespace travimo::gui
