#include "widget/gui/property_browser.h"

#include <QHeaderView>
#include <QMetaProperty>

#include <travimo/control/type_info.h>
#include "widget/travimo_widget.h"

namespace travimo::gui {

namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString AccessText(const Operations& operations) {
  if (operations.method) return "method";
  QStringList parts;
  if (operations.get) parts << "Get";
  if (operations.let) parts << "Let";
  if (operations.set) parts << "Set";
  return parts.join(", ");
}

QString TypeText(const MemberInfo& member) {
  if (!member.operations.method) return Text(member.type);
  QStringList parameters;
  for (const auto& parameter : member.parameters) {
    parameters << Text(parameter.name) + " As " + Text(parameter.type);
  }
  QString text = "(" + parameters.join(", ") + ")";
  if (!member.type.empty()) text += " As " + Text(member.type);
  return text;
}

QString ValueText(const QVariant& value, const QString& member) {
  if (member == "BackColor" || member == "FlashColor") {
    return QString("&H%1&").arg(value.toUInt(), 8, 16, QLatin1Char('0')).toUpper();
  }
  if (value.typeId() == QMetaType::Bool) return value.toBool() ? "True" : "False";
  return value.toString();
}

// The edited text as the property's type wants it; colours also as &H...& or 0x....
QVariant ParseValue(const QString& text, const QMetaProperty& property, bool* ok) {
  const QString trimmed = text.trimmed();
  switch (property.typeId()) {
    case QMetaType::Bool: {
      const QString lower = trimmed.toLower();
      *ok = lower == "true" || lower == "false" || lower == "1" || lower == "0";
      return lower == "true" || lower == "1";
    }
    case QMetaType::UInt: {
      QString digits = trimmed;
      int base = 10;
      if (digits.startsWith("&H", Qt::CaseInsensitive)) {
        digits = digits.mid(2);
        if (digits.endsWith('&')) digits.chop(1);
        base = 16;
      } else if (digits.startsWith("0x", Qt::CaseInsensitive)) {
        digits = digits.mid(2);
        base = 16;
      }
      return digits.toUInt(ok, base);
    }
    case QMetaType::Int:
      return trimmed.toInt(ok);
    default:
      *ok = true;
      return text;
  }
}

}  // namespace

PropertyBrowser::PropertyBrowser(TravimoWidget& widget, QWidget* parent)
    : QTreeWidget(parent), widget_(widget) {
  setHeaderLabels({"Member", "Value", "Type", "Access", "Help"});
  setRootIsDecorated(false);
  setAlternatingRowColors(true);
  header()->setSectionResizeMode(Help, QHeaderView::Stretch);
  connect(this, &QTreeWidget::itemChanged, this, &PropertyBrowser::Edited);
  connect(&widget_, &TravimoWidget::propertyChanged, this, &PropertyBrowser::Refresh);
  Build();
}

void PropertyBrowser::ShowHidden(bool show) {
  showHidden_ = show;
  Build();
}

void PropertyBrowser::Build() {
  refreshing_ = true;
  clear();
  const QMetaObject* meta = widget_.metaObject();
  for (const MemberInfo& member : TravimoMembers()) {
    if (member.hidden && !showHidden_) continue;
    auto* item = new QTreeWidgetItem(this);
    const QString name = Text(member.name);
    item->setText(Name, name);
    item->setText(Type, TypeText(member));
    item->setText(Access, AccessText(member.operations) + (member.hidden ? " (hidden)" : ""));
    item->setText(Help, Text(member.helpString));
    item->setToolTip(Help, Text(member.helpString));
    const int index = meta->indexOfProperty(name.toLatin1().constData());
    const bool assignable = member.operations.let || member.operations.set;
    if (index >= 0 && assignable && meta->property(index).isWritable()) {
      item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
  }
  refreshing_ = false;
  Refresh();
  for (int column = Name; column < Help; ++column) resizeColumnToContents(column);
}

void PropertyBrowser::Refresh() {
  refreshing_ = true;
  for (int row = 0; row < topLevelItemCount(); ++row) {
    QTreeWidgetItem* item = topLevelItem(row);
    const QByteArray name = item->text(Name).toLatin1();
    if (widget_.metaObject()->indexOfProperty(name.constData()) < 0) continue;
    item->setText(Value, ValueText(widget_.property(name.constData()), item->text(Name)));
  }
  refreshing_ = false;
}

QTreeWidgetItem* PropertyBrowser::ItemFor(const QString& member) const {
  const auto found = findItems(member, Qt::MatchExactly, Name);
  return found.isEmpty() ? nullptr : found.front();
}

void PropertyBrowser::Edited(QTreeWidgetItem* item, int column) {
  if (refreshing_ || column != Value) return;
  const QByteArray name = item->text(Name).toLatin1();
  const int index = widget_.metaObject()->indexOfProperty(name.constData());
  if (index < 0) return;
  bool ok = false;
  const QVariant value = ParseValue(item->text(Value), widget_.metaObject()->property(index), &ok);
  if (ok) widget_.setProperty(name.constData(), value);
  Refresh();
}

}  // namespace travimo::gui
