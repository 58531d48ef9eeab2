#pragma once
// The device field: an editable list of the serial devices present, the same
// list as `travimo ports`, refreshed when a device is plugged in or out.
#include <QComboBox>
#include <QFileSystemWatcher>
#include <QString>

namespace travimo::gui {

class DeviceList : public QComboBox {
  Q_OBJECT

 public:
  // Looks under devRoot ("/dev" outside tests).
  explicit DeviceList(const QString& devRoot, QWidget* parent = nullptr);

  QString device() const { return currentText().trimmed(); }
  void setDevice(const QString& path) { setEditText(path); }
  // Lists the devices again, keeping what the user typed.
  void refresh();

 private:
  QString devRoot_;
  QFileSystemWatcher watcher_;
};

}  // namespace travimo::gui
