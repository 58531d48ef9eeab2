// travimo-gui: a desktop host for the Travimo control.
#include <QApplication>
#include <QCommandLineParser>

#include "widget/gui/main_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("travimo-gui");
  QApplication::setApplicationVersion(TRAVIMO_VERSION_STRING);
  // A style that paints the button's palette, so the flash shows on every desktop.
  QApplication::setStyle("Fusion");

  QCommandLineParser parser;
  parser.setApplicationDescription("Reads Lorvex, Brevane and Ostrel instruments");
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption config("config", "The settings file.", "file",
                                  travimo::gui::DefaultConfigPath());
  const QCommandLineOption open("open", "A raw-data file to show.", "file");
  const QCommandLineOption demo("demo", "Read from the built-in simulated Lorvex at start.");
  parser.addOptions({config, open, demo});
  parser.process(app);

  travimo::gui::MainWindow window(parser.value(config));
  window.show();
  if (parser.isSet(open)) window.openRawDataFile(parser.value(open));
  if (parser.isSet(demo)) window.startDemo(travimo::sim::Mode::Lorvex);
  return QApplication::exec();
}
