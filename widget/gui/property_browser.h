#pragma once
// A property browser built from the type information of _Travimo: every
// member with its type, operations and help string; hidden members only on
// request. Values come from the widget's Q_PROPERTYs and are edited there.
#include <QTreeWidget>

class TravimoWidget;

namespace travimo::gui {

class PropertyBrowser : public QTreeWidget {
  Q_OBJECT

 public:
  enum Column { Name, Value, Type, Access, Help };

  explicit PropertyBrowser(TravimoWidget& widget, QWidget* parent = nullptr);

  void ShowHidden(bool show);
  // Reads every value again from the widget.
  void Refresh();
  QTreeWidgetItem* ItemFor(const QString& member) const;

 private:
  void Build();
  void Edited(QTreeWidgetItem* item, int column);

  TravimoWidget& widget_;
  bool showHidden_ = false;
  bool refreshing_ = false;
};

}  // namespace travimo::gui
