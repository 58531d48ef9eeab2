#pragma once
// travimo-gui's own settings, kept apart from the control's properties: the
// window's geometry, the device chosen and the directory last used.
#include <QByteArray>
#include <QSettings>
#include <QString>

namespace travimo::gui {

class ProgramSettings {
 public:
  // travimo-gui.ini beside the control's property file.
  explicit ProgramSettings(const QString& controlFile);

  QByteArray Geometry() const { return Value("window/geometry").toByteArray(); }
  void Geometry(const QByteArray& value) { settings_.setValue("window/geometry", value); }
  QString Device() const { return Value("read/device").toString(); }
  void Device(const QString& value) { settings_.setValue("read/device", value); }
  bool HasDevice() const { return settings_.contains("read/device"); }
  QString LastDirectory() const { return Value("files/lastDirectory").toString(); }
  void LastDirectory(const QString& value) { settings_.setValue("files/lastDirectory", value); }

  // Writes them out; false with the reason when that failed.
  bool Save(QString& problem);
  QString Path() const { return settings_.fileName(); }

 private:
  QVariant Value(const QString& key) const { return settings_.value(key); }
  QSettings settings_;
};

}  // namespace travimo::gui
