// travimo-gui: a desktop host for the Travimo control.
#include <QApplication>
#include <QCommandLineParser>
#include <cstring>

#include "widget/gui/main_window.h"

namespace {

struct Options {
  QCommandLineOption config{"config", "The settings file.", "file",
                            travimo::gui::DefaultConfigPath()};
  QCommandLineOption open{"open", "A raw-data file to show.", "file"};
  QCommandLineOption demo{"demo", "Read from the built-in simulated Lorvex at start."};
};

void Describe(QCommandLineParser& parser, const Options& options) {
  parser.setApplicationDescription("Reads Lorvex, Brevane and Ostrel instruments");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOptions({options.config, options.open, options.demo});
}

// --help and --version print and leave; they need no display.
bool OnlyText(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    for (const char* flag : {"-h", "--help", "--help-all", "-v", "--version"}) {
      if (std::strcmp(argv[i], flag) == 0) return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  const Options options;
  if (OnlyText(argc, argv)) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("travimo-gui");
    QCoreApplication::setApplicationVersion(TRAVIMO_VERSION_STRING);
    QCommandLineParser parser;
    Describe(parser, options);
    parser.process(app);
    return 0;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("travimo-gui");
  QApplication::setApplicationVersion(TRAVIMO_VERSION_STRING);
  // A style that paints the button's palette, so the flash shows on every desktop.
  QApplication::setStyle("Fusion");
  QCommandLineParser parser;
  Describe(parser, options);
  parser.process(app);

  travimo::gui::MainWindow window(parser.value(options.config));
  window.show();
  if (parser.isSet(options.open)) window.openRawDataFile(parser.value(options.open));
  if (parser.isSet(options.demo)) window.startDemo(travimo::sim::Mode::Lorvex);
  return QApplication::exec();
}
