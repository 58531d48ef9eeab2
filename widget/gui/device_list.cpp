#include "widget/gui/device_list.h"

#include <QDir>
#include <QLineEdit>

#include "cli/port_list.h"
#include "platform/posix/termios_serial.h"

namespace travimo::gui {

DeviceList::DeviceList(const QString& devRoot, QWidget* parent)
    : QComboBox(parent), devRoot_(devRoot) {
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
  const auto devices = cli::ListSerialDevices(devRoot_.toStdString(), posix::DefaultDeviceFor);
  clear();
  for (const auto& entry : devices) {
    QString label = QString::fromStdString(entry.path);
    if (!entry.target.empty()) label += " → " + QString::fromStdString(entry.target);
    if (entry.commPort) label += QString("  (port %1)").arg(*entry.commPort);
    addItem(label, QString::fromStdString(entry.path));
  }
  setEditText(typed);
}

}  // namespace travimo::gui
