#include "widget/gui/device_list.h"

#include <QDir>
#include <QLineEdit>


namespace travimo::gui {

DeviceList::DeviceList(const QString& devRoot, Lister lister, QWidget* parent)
    : QComboBox(parent), devRoot_(devRoot), lister_(std::move(lister)) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  // /dev changes when a device comes or goes; by-id holds the USB details.
  watcher_.addPath(devRoot_);
  const QString byId = QDir(devRoot_).filePath("serial/by-id");
  if (QDir(byId).exists()) watcher_.addPath(byId);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &DeviceList::refresh);
  // The field holds the path, not the item's description.
  connect(this, &QComboBox::activated, this,
          [this](int index) { setEditText(itemData(index).toString()); });
  refresh();
}

void DeviceList::refresh() {
  const QString typed = currentText();
  const auto ports = cli::PresentPorts(lister_());
  clear();
  for (const auto& port : ports) {
    QString label = QString::fromStdString(port.device);
    const std::string about = port.product.empty() ? port.driver : port.product;
    if (!about.empty()) label += "  " + QString::fromStdString(about);
    if (!port.serialNumber.empty()) label += " " + QString::fromStdString(port.serialNumber);
    if (port.commPort) label += QString("  (port %1)").arg(*port.commPort);
    addItem(label, QString::fromStdString(port.device));
  }
  setEditText(typed);
}

}  // namespace travimo::gui
