#include "widget/gui/program_settings.h"

#include <QDir>
#include <QFileInfo>

namespace travimo::gui {

ProgramSettings::ProgramSettings(const QString& controlFile)
    : settings_(QFileInfo(controlFile).dir().filePath("travimo-gui.ini"), QSettings::IniFormat) {}

bool ProgramSettings::Save(QString& problem) {
  QDir().mkpath(QFileInfo(settings_.fileName()).path());
  settings_.sync();
  switch (settings_.status()) {
    case QSettings::NoError:
      return true;
    case QSettings::AccessError:
      problem = "cannot write " + settings_.fileName();
      return false;
    case QSettings::FormatError:
      problem = settings_.fileName() + " is not a settings file";
      return false;
  }
  return false;
}

}  // namespace travimo::gui
