// travimo-gui's window: a click reads from the simulator and fills the table
// and the plot, settings survive a restart through the JSON property file,
// raw-data files are parsed offline, the property browser follows the type
// information, and a screenshot after a demo read is kept for people to look at.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "control/about_page.h"
#include "sim/lorvex_encoder.h"
#include "sim/simulator.h"
#include "widget/gui/about_dialog.h"
#include "widget/gui/main_window.h"
#include "widget/gui/property_browser.h"
#include "widget/gui/scan_plot.h"
#include "widget/travimo_widget.h"

using travimo::gui::MainWindow;

Q_DECLARE_METATYPE(travimo::sim::Mode)

namespace {

QStringList Column(const QTableWidget& table, int column) {
  QStringList cells;
  for (int row = 0; row < table.rowCount(); ++row) cells << table.item(row, column)->text();
  return cells;
}

QString Header(const QTableWidget& table, int column) {
  return table.horizontalHeaderItem(column)->text();
}

}  // namespace

class GuiTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(dir_.isValid()); }

  void clickReadsFromTheSimulatorAndFillsTheTable() {
    travimo::sim::Script script;
    script.scans = 3;
    travimo::sim::Simulator simulator(script);
    simulator.Start();
    MainWindow window(dir_.filePath("gui.json"));
    window.show();
    window.useDevice(QString::fromStdString(simulator.SlavePath()));
    QSignalSpy errors(window.travimo(), &TravimoWidget::travimoError);

    QTest::mouseClick(window.travimo()->button(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(window.scanTable()->rowCount(), 3, 20000);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(Column(*window.scanTable(), 0), (QStringList{"1", "2", "3"}));
    QCOMPARE(Header(*window.scanTable(), 3), QString("Points"));
    QCOMPARE(Column(*window.scanTable(), 3), (QStringList{"512", "512", "512"}));
    QCOMPARE(window.plot()->SeriesCount(), 1);
    QVERIFY2(window.statusText().contains("3 Lorvex records"), qPrintable(window.statusText()));
    QCOMPARE(simulator.Stats().requests, 1);
    QCOMPARE(simulator.Stats().lastDataType, 0);
  }

  void settingsSurviveARestart() {
    const QString path = dir_.filePath("nested/gui.json");
    {
      MainWindow window(path);
      window.travimo()->setProperty("CommPort", 4);
      window.travimo()->setProperty("TravimoType", 3);
      window.travimo()->setProperty("FlashColor", 0x000000FFu);
      window.useDevice("/dev/ttyUSB7");
      QVERIFY(window.saveSettings());
    }
    QVERIFY(QFile::exists(path));
    MainWindow window(path);
    QCOMPARE(window.travimo()->commPort(), 4);
    QCOMPARE(window.travimo()->travimoType(), 3);
    QCOMPARE(window.travimo()->flashColor(), 0x000000FFu);
    QCOMPARE(window.device(), QString("/dev/ttyUSB7"));
  }

  void brokenSettingsFileLeavesTheDefaults() {
    const QString path = dir_.filePath("broken.json");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{ not json");
    file.close();
    MainWindow window(path);
    QCOMPARE(window.travimo()->commPort(), 1);
    QVERIFY2(window.statusText().startsWith("Settings not loaded"),
             qPrintable(window.statusText()));
  }

  void rawDataFilesAreParsedOffline() {
    std::vector<travimo::sim::LorvexScan> scans(2);
    scans[0].values.assign(100, 1000);
    scans[1].typeLetter = 'B';
    scans[1].values.assign(100, 2000);
    const std::string transfer = travimo::sim::EncodeLorvexTransfer(scans);
    const QString path = dir_.filePath("RawData.dat");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(transfer.data(), static_cast<qint64>(transfer.size()));
    file.close();

    MainWindow window(dir_.filePath("gui.json"));
    QVERIFY(window.openRawDataFile(path));
    QCOMPARE(window.scanTable()->rowCount(), 2);
    QCOMPARE(Column(*window.scanTable(), 1), (QStringList{"A", "B"}));
    QVERIFY(!window.openRawDataFile(dir_.filePath("missing.dat")));
    QVERIFY(window.statusText().startsWith("Cannot open"));
  }

  void propertyBrowserFollowsTheTypeInformation() {
    MainWindow window(dir_.filePath("gui.json"));
    travimo::gui::PropertyBrowser& browser = *window.propertyBrowser();
    QVERIFY(browser.ItemFor("CommPort"));
    QVERIFY(browser.ItemFor("ReadTravimo"));
    QVERIFY(!browser.ItemFor("NumberOfScans"));  // hidden
    browser.ShowHidden(true);
    QVERIFY(browser.ItemFor("NumberOfScans"));
    QCOMPARE(browser.ItemFor("NumberOfScans")->flags() & Qt::ItemIsEditable, Qt::ItemFlags());

    QTreeWidgetItem* port = browser.ItemFor("CommPort");
    QCOMPARE(port->text(travimo::gui::PropertyBrowser::Value), QString("1"));
    port->setText(travimo::gui::PropertyBrowser::Value, "5");
    QCOMPARE(window.travimo()->commPort(), 5);
    QTreeWidgetItem* flash = browser.ItemFor("FlashColor");
    QCOMPARE(flash->text(travimo::gui::PropertyBrowser::Value), QString("&H00C0C000&"));
    flash->setText(travimo::gui::PropertyBrowser::Value, "&H000000FF&");
    QCOMPARE(window.travimo()->flashColor(), 0x000000FFu);

    QTreeWidgetItem* buffer = browser.ItemFor("InBufferSize");
    const int size = window.travimo()->inBufferSize();
    buffer->setText(travimo::gui::PropertyBrowser::Value, "40000");
    QCOMPARE(window.travimo()->inBufferSize(), size);
    QCOMPARE(buffer->text(travimo::gui::PropertyBrowser::Value), QString::number(size));
    QVERIFY2(window.statusText().contains("refused"), qPrintable(window.statusText()));
  }

  void aboutDialogShowsTheVersion() {
    travimo::gui::AboutDialog dialog(travimo::MakeAboutPage(travimo::kLibraryVersion));
    const auto* version = dialog.findChild<QLabel*>("lblVersion");
    QVERIFY(version);
    QCOMPARE(version->text(), QString("Version 1.01.7"));
    QCOMPARE(dialog.findChild<QLabel*>("Label4")->text(), QString("From Lorvex, Brevane & Quenta"));
    QVERIFY(QDir().mkpath(TRAVIMO_SCREENSHOT_DIR));
    QVERIFY(dialog.grab().save(QString(TRAVIMO_SCREENSHOT_DIR) + "/about.png"));
  }

  void demoReadsEachInstrument_data() {
    QTest::addColumn<travimo::sim::Mode>("mode");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("type");
    QTest::newRow("ostrel") << travimo::sim::Mode::Ostrel << "ostrel"
                            << "SamplingRate" << 3;
    QTest::newRow("brevane") << travimo::sim::Mode::Brevane << "brevane"
                             << "IDCode" << 2;
  }
  void demoReadsEachInstrument() {
    QFETCH(travimo::sim::Mode, mode);
    QFETCH(QString, kind);
    QFETCH(QString, header);
    QFETCH(int, type);
    MainWindow window(dir_.filePath("gui.json"));
    window.show();
    // The simulator writes its dates month first, as the C locale reads them.
    window.travimo()->host().Locale(QLocale::c());
    QSignalSpy errors(window.travimo(), &TravimoWidget::travimoError);
    window.startDemo(mode);
    QTRY_COMPARE_WITH_TIMEOUT(window.scanTable()->rowCount(), 4, 20000);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(window.travimo()->travimoType(), type);
    QStringList headers;
    for (int column = 0; column < window.scanTable()->columnCount(); ++column)
      headers << Header(*window.scanTable(), column);
    QVERIFY2(headers.contains(header), qPrintable(headers.join(",")));
    const auto dates = Column(*window.scanTable(), static_cast<int>(headers.indexOf("DateTime")));
    QVERIFY2(dates.front().startsWith("2024-03-15 10:"), qPrintable(dates.front()));
    QVERIFY(window.plot()->SeriesCount() >= 1);
    QTest::qWait(100);  // the chart lays itself out on a later event
    QVERIFY(QDir().mkpath(TRAVIMO_SCREENSHOT_DIR));
    QVERIFY(window.grab().save(QString(TRAVIMO_SCREENSHOT_DIR) + "/travimo-gui-" + kind + ".png"));
  }

  // Kept in the build directory for a person to look at.
  void screenshotAfterADemoRead() {
    MainWindow window(dir_.filePath("gui.json"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.startDemo(travimo::sim::Mode::Lorvex);
    QTRY_COMPARE_WITH_TIMEOUT(window.scanTable()->rowCount(), 4, 20000);
    window.scanTable()->selectRow(1);
    QTest::qWait(100);
    QVERIFY(QDir().mkpath(TRAVIMO_SCREENSHOT_DIR));
    const QString path = QString(TRAVIMO_SCREENSHOT_DIR) + "/travimo-gui.png";
    const QPixmap shot = window.grab();
    QVERIFY(!shot.isNull());
    QVERIFY(shot.save(path));
    qInfo("screenshot: %s", qPrintable(path));
  }

 private:
  QTemporaryDir dir_;
};

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle("Fusion");
  GuiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "gui_test.moc"
