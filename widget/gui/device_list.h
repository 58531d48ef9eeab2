#pragma once
// The device field: an editable list of the serial ports present, the same
// list as `travimo ports`, refreshed when a device is plugged in or out.
#include <QComboBox>
#include <QFileSystemWatcher>
#include <QString>
#include <functional>
#include <vector>

#include "cli/port_records.h"

namespace travimo::gui {

class DeviceList : public QComboBox {
  Q_OBJECT

 public:
  using Lister = std::function<std::vector<cli::PortRecord>()>;

  // Lists through lister (the system's ports outside tests) whenever devRoot changes.
  explicit DeviceList(const QString& devRoot, Lister lister = cli::ListPorts,
                      QWidget* parent = nullptr);

  QString device() const { return currentText().trimmed(); }
  void setDevice(const QString& path) { setEditText(path); }
  // Lists the devices again, keeping what the user typed.
  void refresh();

 private:
  QString devRoot_;
  Lister lister_;
  QFileSystemWatcher watcher_;
};

}  // namespace travimo::gui
