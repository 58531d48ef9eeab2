// travimo-gui's window: reads from the simulator fill the table and the plot,
// settings survive a restart, raw-data files are parsed offline, the property
// browser follows the type information; screenshots are kept for people to look at.
#include <QPrinter>
#include <QtTest>
#include <QtWidgets>

#include "archive/archive_store.h"
#include "archive/read_entry.h"
#include "rawdata/raw_data_sidecar.h"
#include "widget/gui/about_dialog.h"
#include "widget/gui/device_list.h"
#include "widget/gui/export_dialog.h"
#include "widget/gui/history_panel.h"
#include "widget/gui/main_window.h"
#include "widget/gui/property_browser.h"
#include "widget/gui/scan_plot.h"
#include "widget/travimo_widget.h"

using travimo::gui::MainWindow;
using travimo::gui::PropertyBrowser;

namespace {

// The cells under a header, looked up by name; none when there is no such column.
QStringList Column(const QTableWidget& table, const QString& header) {
  QStringList cells;
  for (int column = 0; column < table.columnCount(); ++column) {
    if (table.horizontalHeaderItem(column)->text() != header) continue;
    for (int row = 0; row < table.rowCount(); ++row) cells << table.item(row, column)->text();
  }
  return cells;
}

// Pixels of the chart's line colours: a plot with a line drawn has many.
int PlottedPixels(QWidget& plot) {
  QTest::qWait(100);  // the chart lays itself out on a later event
  const QImage shot = plot.grab().toImage();
  int count = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      const QColor c = shot.pixelColor(x, y);
      count += c.blue() > c.red() + 80 && c.saturation() > 100 ? 1 : 0;
    }
  }
  return count;
}

// A screenshot kept for people to look at.
bool Shot(QWidget& widget, const QString& name) {
  const QString path = QString(TRAVIMO_SCREENSHOT_DIR) + "/" + name + ".png";
  qInfo("screenshot: %s", qPrintable(path));
  return QDir().mkpath(TRAVIMO_SCREENSHOT_DIR) && widget.grab().save(path);
}

// Shown and active (an X server without a window manager activates nothing
// itself), reading dates month first as the simulator writes them.
bool Shown(MainWindow& window) {
  window.show();
  window.activateWindow();
  window.travimo()->host().Locale(QLocale::c());
  return QTest::qWaitForWindowActive(&window);
}

std::string ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void WriteFile(const QString& path, const std::string& data) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray::fromStdString(data)) >= 0);
}

}  // namespace

class GuiTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(dir_.isValid()); }

  void demoReadsEachInstrumentAndKeepsAScreenshot() {
    using travimo::sim::Mode;
    const std::tuple<Mode, QString, int, QString, QString> cases[] = {
        {Mode::Lorvex, "Points", 1, "", "travimo-gui"},  // Lorvex records carry no date
        {Mode::Ostrel, "SamplingRate", 3, "2026-11-20 08:", "travimo-gui-ostrel"},
        {Mode::Brevane, "IDCode", 2, "2026-11-20 08:", "travimo-gui-brevane"}};
    for (const auto& [mode, header, type, dated, shot] : cases) {
      MainWindow window(dir_.filePath("demo.json"));  // its raw-data setting stays here
      QVERIFY(Shown(window));
      const QString raw = dir_.filePath(shot + ".dat");
      window.travimo()->setProperty("OutPutFileName", raw);
      window.travimo()->setProperty("SaveRawData", true);
      QSignalSpy errors(window.travimo(), &TravimoWidget::travimoError);
      window.startDemo(mode);
      QTRY_COMPARE_WITH_TIMEOUT(window.scanTable()->rowCount(), 4, 20000);
      QCOMPARE(errors.count(), 0);
      QCOMPARE(window.travimo()->travimoType(), type);
      QTRY_VERIFY(QFile::exists(raw + ".json"));
      const auto sidecar = travimo::ParseSidecar(ReadFile(raw + ".json"), "sidecar");
      QVERIFY(travimo::DescribesBytes(sidecar, ReadFile(raw)));
      QCOMPARE(sidecar.travimoType, type);
      QVERIFY2(!Column(*window.scanTable(), header).isEmpty(), qPrintable(header));
      const QString date = Column(*window.scanTable(), "DateTime").value(0);
      QVERIFY2(dated.isEmpty() || date.startsWith(dated), qPrintable(date));
      window.scanTable()->selectRow(1);
      QVERIFY(PlottedPixels(*window.plot()) > 200);
      QVERIFY(Shot(window, shot));
    }
  }

  // Clicks elsewhere leave a read running and the focus on the button.
  void onlyEscapeTheButtonOrCancelStopARead_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("clicks on the table and the property browser") << "clicks";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("Cancel button") << "cancel";
  }
  void onlyEscapeTheButtonOrCancelStopARead() {
    QFETCH(QString, action);
    const bool cancels = action != "clicks";
    travimo::sim::Script script;
    script.mode = travimo::sim::Mode::Ostrel;
    script.scans = 2;
    script.firstByteDelay = 2.5;
    travimo::sim::Simulator simulator(script);
    simulator.Start();
    MainWindow window(dir_.filePath("gui.json"));
    QVERIFY(Shown(window));
    TravimoWidget* control = window.travimo();
    window.useDevice(QString::fromStdString(simulator.SlavePath()));
    const QString archive = dir_.filePath(QString("archive-%1.sqlite").arg(action));
    window.useArchive(archive);
    control->setProperty("TravimoType", 3);
    const int points = control->numberOfPoints();
    // Earlier data, from a file of another instrument: the settings stay as they are.
    QVERIFY(window.openRawDataFile(TRAVIMO_EXAMPLES_DIR "/brevane-3-measurements.dat"));
    QCOMPARE(window.scanTable()->rowCount(), 3);
    QCOMPARE(control->travimoType(), 3);
    QCOMPARE(control->numberOfPoints(), points);

    std::vector<int> events;  // errors by their numbers, clicks as 0: the error first
    connect(control, &TravimoWidget::travimoError, this, [&](int n) { events.push_back(n); });
    connect(control, &TravimoWidget::clicked, this, [&] { events.push_back(0); });
    QPushButton* button = control->button();
    QString progress;
    bool focusKept = false;
    QTimer::singleShot(1500, &window, [&] {
      progress = window.results()->status()->progress()->text();
      if (action == "clicks") {
        QTest::mouseClick(window.scanTable()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseClick(window.propertyBrowser()->viewport(), Qt::LeftButton);
      }
      if (action == "escape") QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      if (action == "cancel") QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
      focusKept = QApplication::focusWidget() == button;
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && !control->reading() &&
                                 window.results()->status()->progress()->isHidden(),
                             20000);
    QVERIFY2(progress.contains("waiting for the first byte"), qPrintable(progress));
    QVERIFY(focusKept);
    QCOMPARE(window.scanTable()->focusPolicy(), Qt::StrongFocus);  // given back
    QLabel* origin = window.results()->status()->origin();
    QLabel* banner = window.results()->status()->banner();
    const auto reads = travimo::archive::OpenSqliteArchive(archive.toStdString())->History({});
    QCOMPARE(reads.size(), size_t{1});
    QCOMPARE(reads.front().source, std::string("gui"));
    QCOMPARE(reads.front().errorNumber, cancels ? 9999 : 0);
    QCOMPARE(reads.front().records, cancels ? 0 : 2);
    QCOMPARE(simulator.Stats().connections, 1);  // the device the user named, once
    QCOMPARE(events, (cancels ? std::vector<int>{9999, 0} : std::vector<int>{0}));
    if (!cancels) {
      QCOMPARE(window.scanTable()->rowCount(), 2);
      QVERIFY2(origin->text().contains("2 Ostrel records · read "), qPrintable(origin->text()));
      QVERIFY2(window.statusText().contains("2 Ostrel records"), qPrintable(window.statusText()));
      QVERIFY(banner->isHidden());
      return;
    }
    QCOMPARE(window.scanTable()->rowCount(), 3);  // the file's records, marked as older
    QVERIFY2(origin->text().startsWith("Previous read's data: 3 Brevane records"),
             qPrintable(origin->text()));
    QVERIFY(banner->text().contains("9999 (UserCancel)"));
    // The banner's colour where its text does not reach, as the screen shows it.
    const QImage shot = window.grab().toImage();
    const QPoint corner = banner->mapTo(&window, QPoint(2, 2)) * shot.devicePixelRatio();
    const QColor colour = shot.pixelColor(corner);
    QVERIFY2(colour.red() > 150 && colour.green() < 90, qPrintable(colour.name()));
    QVERIFY(Shot(window, "travimo-gui-cancelled"));
  }

  void progressNamesBytesTimeAndThePhase() {
    using travimo::ReadPhase;
    const std::tuple<ReadPhase, double, const char*> cases[] = {
        {ReadPhase::FirstByte, 125.2, "1234 bytes · 1:05 · waiting for the first byte, 26 s left"},
        {ReadPhase::Polling, 101.0, "1234 bytes · 1:05 · polling for the rest, 2 s left"},
        {ReadPhase::Quiet, 90.0, "1234 bytes · 1:05 · receiving, 0 s left"},  // past its end
        {ReadPhase::Idle, 0.0, "1234 bytes · 1:05"}};
    for (const auto& [phase, endsAt, expected] : cases)
      QCOMPARE(travimo::gui::ProgressText(1234, 65.4, {phase, endsAt}, 99.5), QString(expected));
  }

  // The property browser follows the type information and edits the control;
  // a refused edit shows why and the control's own value. What it set survives
  // a restart, an earlier version's file still counts and a broken one leaves
  // the defaults.
  void propertiesEditedInTheBrowserSurviveARestart() {
    const QString path = dir_.filePath("nested/gui.json");
    {
      MainWindow window(path);
      PropertyBrowser& browser = *window.propertyBrowser();
      QVERIFY(!browser.ItemFor("NumberOfScans"));  // hidden
      browser.ShowHidden(true);
      QCOMPARE(browser.ItemFor("NumberOfScans")->flags() & Qt::ItemIsEditable, Qt::ItemFlags());
      browser.ItemFor("CommPort")->setText(PropertyBrowser::Value, "4");
      QTreeWidgetItem* flash = browser.ItemFor("FlashColor");
      QCOMPARE(flash->text(PropertyBrowser::Value), QString("&H00C0C000&"));
      flash->setText(PropertyBrowser::Value, "&H000000FF&");
      QTreeWidgetItem* buffer = browser.ItemFor("InBufferSize");
      const int size = window.travimo()->inBufferSize();
      buffer->setText(PropertyBrowser::Value, "40000");
      QCOMPARE(window.travimo()->inBufferSize(), size);
      QCOMPARE(buffer->text(PropertyBrowser::Value), QString::number(size));
      QVERIFY2(window.statusText().startsWith("InBufferSize refused: error 6 "),
               qPrintable(window.statusText()));
      window.useDevice("/dev/ttyUSB7");
      window.resize(900, 640);
      // Records the control holds belong in the archive, not in its property file.
      window.travimo()->control().DecodeTransfer(ReadFile(TRAVIMO_EXAMPLES_DIR "/lorvex-3-scans.dat"));
      QVERIFY(window.saveSettings());
    }
    const QString saved = QString::fromStdString(ReadFile(path));
    QVERIFY2(saved.contains("\"CommPort\"") && !saved.contains("LorvexData"), qPrintable(saved));
    QVERIFY(!saved.contains("ttyUSB7"));
    MainWindow window(path);
    QCOMPARE(window.travimo()->commPort(), 4);
    QCOMPARE(window.travimo()->flashColor(), 0x000000FFu);
    QCOMPARE(window.device(), QString("/dev/ttyUSB7"));
    QCOMPARE(window.size(), QSize(900, 640));

    // An earlier version kept the device among the control's properties.
    const QString old = dir_.filePath("old/gui.json");
    QVERIFY(QDir().mkpath(dir_.filePath("old")));
    WriteFile(old, "{\"CommPort\": 2, \"GuiDevicePath\": \"/dev/ttyACM3\"}\n");
    QCOMPARE(MainWindow(old).device(), QString("/dev/ttyACM3"));

    WriteFile(path, "{ not json");
    MainWindow broken(path);
    QCOMPARE(broken.travimo()->commPort(), 1);
    QVERIFY2(broken.statusText().startsWith("Settings not loaded"),
             qPrintable(broken.statusText()));
  }

  // A raw-data file opened offline: its records are shown, copied, printed and
  // exported in every format through one dialog.
  void rawDataFilesAreParsedOfflineAndExported() {
    using Values = std::vector<uint16_t>;
    const std::vector<travimo::sim::LorvexScan> scans = {{'A', Values(100, 1000)},
                                                         {'B', Values(100, 2000)}};
    const QString path = dir_.filePath("RawData.dat");
    WriteFile(path, travimo::sim::EncodeLorvexTransfer(scans));
    MainWindow window(dir_.filePath("gui.json"));
    QVERIFY(!window.exportDialog());  // nothing shown yet
    QVERIFY(window.openRawDataFile(path));
    QCOMPARE(Column(*window.scanTable(), "Type"), (QStringList{"A", "B"}));
    QCOMPARE(window.results()->Results().dataType, 0);
    // Selected cells copy as tabs; the plot prints.
    QTableWidget& table = *window.scanTable();
    table.clearSelection();
    table.item(0, 0)->setSelected(true);
    table.findItems("B", Qt::MatchExactly).front()->setSelected(true);  // the second scan's type
    QCOMPARE(window.results()->SelectionText(), QString("#\tType\n1\t\n\tB\n"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir_.filePath("plot-print.pdf"));
    window.plot()->Print(printer);
    QVERIFY(QByteArray::fromStdString(ReadFile(dir_.filePath("plot-print.pdf"))).startsWith("%PDF"));

    using F = travimo::gui::ExportFormat;
    const std::tuple<F, QString, QByteArray> formats[] = {
        {F::WideCsv, "wide.csv", "instrument,Lorvex,"},
        {F::Json, "out.json", "{"},
        {F::Png, "plot.png", "\x89PNG"},
        {F::Svg, "plot.svg", "<?xml"},
        {F::Pdf, "plot.pdf", "%PDF"},
        {F::Csv, "out.csv", "instrument,record,scan_number"}};
    auto dialog = window.exportDialog();
    auto& exporter = static_cast<travimo::gui::ExportDialog&>(*dialog);
    for (const auto& [format, file, start] : formats) {
      exporter.formatBox()->setCurrentIndex(exporter.formatBox()->findData(int(format)));
      exporter.pathEdit()->setText(dir_.filePath(file));
      QVERIFY2(exporter.exportNow(), qPrintable(exporter.problem()->text()));
      const std::string written = ReadFile(dir_.filePath(file));
      QVERIFY2(QByteArray::fromStdString(written).startsWith(start), written.substr(0, 60).c_str());
      QVERIFY(format != F::Json || written.find("\"count\": 2") != std::string::npos);
    }
    exporter.show();
    QVERIFY(Shot(exporter, "travimo-gui-export"));
    exporter.pathEdit()->setText(dir_.filePath("missing/out.csv"));  // a folder that is not there
    QVERIFY(!exporter.exportNow());
    QVERIFY(exporter.problem()->text().startsWith("Error 75"));

    // The read's settings, from a sidecar that still describes the bytes; the form keeps its own.
    travimo::RawDataSidecar sidecar;
    sidecar.scanDataType = 1;
    travimo::DescribeBytes(sidecar, ReadFile(path));
    WriteFile(path + ".json", travimo::SidecarText(sidecar));
    QVERIFY(window.openRawDataFile(path));
    QCOMPARE(window.results()->Results().dataType, 1);
    QCOMPARE(window.travimo()->scanDataType(), 0);
    QVERIFY(!window.openRawDataFile(dir_.filePath("missing.dat")));
    QVERIFY(window.statusText().startsWith("Cannot open"));
  }

  void historyListsFiltersShowsAndDecodesArchivedReads() {
    const std::string archive = dir_.filePath("history.sqlite").toStdString();
    const auto keep = [&](const char* file, const char* device, int32_t error) {
      const std::string bytes = ReadFile(QString(TRAVIMO_EXAMPLES_DIR "/") + file);
      auto entry = travimo::archive::EntryAt(1765000000000, 1765000004000, error,
                                             error ? "the line hung up" : "");
      entry.source = "gui";
      entry.device = device;
      entry.raw.assign(bytes.begin(), bytes.end());
      if (!error) entry.results = travimo::gui::DecodeOffline(bytes, {}).results;
      return travimo::archive::KeepRead(archive, entry);
    };
    const int64_t lorvex = keep("lorvex-3-scans.dat", "/dev/ttyUSB0", 0);
    keep("ostrel-3-measurements.dat", "/dev/ttyACM1", 0);
    const int64_t failed = keep("brevane-3-measurements.dat", "/dev/ttyUSB0", 8020);

    MainWindow window(dir_.filePath("gui.json"));
    window.useArchive(QString::fromStdString(archive));
    window.show();
    window.showHistory();
    travimo::gui::HistoryPanel& history = *window.history();
    const std::pair<const char*, int> filters[] = {{"ttyacm", 1}, {"8020", 1}, {"", 3}};
    for (const auto& [filter, visible] : filters) {
      history.filter()->setText(filter);
      QCOMPARE(history.visibleReads(), visible);
    }

    history.selectRead(failed);
    QVERIFY(!history.results()->status()->banner()->isHidden());
    QVERIFY(history.hex()->toPlainText().startsWith("00000000  53 "));  // the bytes a failed read kept

    history.selectRead(lorvex);
    QCOMPARE(history.results()->table()->rowCount(), 3);
    QVERIFY(history.results()->status()->banner()->isHidden());
    QVERIFY(PlottedPixels(*history.results()->plot()) > 200);
    QVERIFY(Shot(window, "travimo-gui-history"));

    window.travimo()->setProperty("ScanDataType", 1);  // the same bytes read as temperatures
    history.decodeAgain();
    QVERIFY(history.results()->status()->origin()->text().contains("decoded again"));
    QCOMPARE(history.results()->Results().dataType, 1);
    QCOMPARE(history.results()->Metadata().archiveEntry, std::optional<int64_t>(lorvex));
  }

  void deviceListFollowsDevicesPluggedInAndOut() {
    const QString dev = dir_.filePath("dev");
    QVERIFY(QDir().mkpath(dev));
    // The ports a lister would report: the device nodes under dev.
    travimo::gui::DeviceList list(dev, [dev] {
      std::vector<travimo::cli::PortRecord> ports;
      for (const QString& name : QDir(dev).entryList(QDir::System | QDir::Files))
        ports.emplace_back().device = (dev + "/" + name).toStdString();
      return ports;
    });
    list.setDevice("/dev/ttyS9");
    QCOMPARE(list.count(), 0);
    WriteFile(dev + "/ttyUSB3", "");
    QTRY_COMPARE(list.count(), 1);
    QCOMPARE(list.device(), QString("/dev/ttyS9"));  // what the user typed stays
    QCOMPARE(list.itemData(0).toString(), dev + "/ttyUSB3");
    emit list.activated(0);
    QCOMPARE(list.device(), dev + "/ttyUSB3");
    QVERIFY(QFile::remove(dev + "/ttyUSB3"));
    QTRY_COMPARE(list.count(), 0);
  }

  void aboutDialogShowsTheVersion() {
    travimo::gui::AboutDialog dialog(travimo::MakeAboutPage(travimo::kLibraryVersion));
    QCOMPARE(dialog.findChild<QLabel*>("lblVersion")->text(), QString("Version 1.01.7"));
    QVERIFY(Shot(dialog, "about"));
  }

 private:
  QTemporaryDir dir_;
};

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle("Fusion");
  // Reads a test does not archive on purpose go to an archive of its own.
  QTemporaryDir data;
  qputenv("XDG_DATA_HOME", data.path().toUtf8());
  GuiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "gui_test.moc"
