#include "widget/gui/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "control/about_page.h"
#include "model/enums.h"
#include "model/error.h"
#include "platform/posix/json_property_bag.h"
#include "platform/posix/termios_serial.h"
#include "widget/gui/about_dialog.h"
#include "widget/gui/property_browser.h"
#include "widget/gui/scan_plot.h"
#include "widget/travimo_widget.h"

namespace travimo::gui {

namespace {

// The GUI's own key beside the control's properties in the settings file.
constexpr const char* kDeviceKey = "GuiDevicePath";

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QComboBox* EnumCombo(std::string_view enumeration, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  if (const EnumInfo* info = FindEnumeration(enumeration)) {
    for (const auto& member : info->members) {
      combo->addItem(QString("%1 - %2").arg(member.value).arg(Text(member.name)), member.value);
    }
  }
  return combo;
}

// Shows the value even when it is none of the enumeration's members.
void SelectValue(QComboBox* combo, int value) {
  int index = combo->findData(value);
  if (index < 0) {
    combo->addItem(QString::number(value), value);
    index = combo->count() - 1;
  }
  combo->setCurrentIndex(index);
}

int32_t TypeFor(sim::Mode mode) {
  switch (mode) {
    case sim::Mode::Ostrel:
      return Ostrel;
    case sim::Mode::Brevane:
      return Brevane;
    case sim::Mode::Lorvex:
      break;
  }
  return Lorvex;
}

}  // namespace

QString DefaultConfigPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         "/travimo/gui.json";
}

MainWindow::MainWindow(const QString& configPath, QWidget* parent)
    : QMainWindow(parent), configPath_(configPath) {
  setWindowTitle("Travimo");
  travimo_ = new TravimoWidget(this);
  travimo_->setObjectName("travimo");
  travimo_->setMinimumSize(180, 56);
  travimo_->setPortResolver([this](int16_t port) { return DeviceForPort(port); });

  table_ = new QTableWidget(this);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->setVisible(false);
  table_->setAlternatingRowColors(true);
  plot_ = new ScanPlot(this);
  browser_ = new PropertyBrowser(*travimo_, this);

  auto* results = new QSplitter(Qt::Vertical, this);
  results->addWidget(table_);
  results->addWidget(plot_);
  results->setStretchFactor(1, 2);

  auto* right = new QSplitter(Qt::Vertical, this);
  right->addWidget(results);
  right->addWidget(browser_);
  right->setStretchFactor(0, 3);
  right->setStretchFactor(1, 1);

  auto* main = new QSplitter(Qt::Horizontal, this);
  main->addWidget(BuildSettingsPanel());
  main->addWidget(right);
  main->setStretchFactor(1, 1);
  setCentralWidget(main);

  status_ = new QLabel(this);
  statusBar()->addWidget(status_, 1);
  BuildMenus();

  connect(travimo_, &TravimoWidget::readStarted, this, &MainWindow::ReadStarted);
  connect(travimo_, &TravimoWidget::readFinished, this, &MainWindow::ReadFinished);
  connect(travimo_, &TravimoWidget::travimoError, this, &MainWindow::ReportError);
  connect(travimo_, &TravimoWidget::propertyChanged, this, &MainWindow::RefreshSettings);
  connect(travimo_, &TravimoWidget::propertyError, this,
          [this](const QString& name, int number, const QString& description) {
            Status(QString("%1 refused: error %2 %3").arg(name).arg(number).arg(description));
            RefreshSettings();
            browser_->Refresh();
          });
  connect(table_, &QTableWidget::itemSelectionChanged, this, &MainWindow::ShowSelectedScan);

  LoadSettings();
  RefreshSettings();
  browser_->Refresh();
  resize(1200, 760);
}

MainWindow::~MainWindow() {
  if (simulator_) simulator_->Stop();
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("&Open raw-data file…", QKeySequence::Open, this,
                  &MainWindow::OpenRawDataFileDialog);
  file->addAction("&Save settings", QKeySequence::Save, this, &MainWindow::saveSettings);
  file->addSeparator();
  file->addAction("&Quit", QKeySequence::Quit, this, &QWidget::close);

  QMenu* instrument = menuBar()->addMenu("&Instrument");
  instrument->addAction("&Read", QKeySequence(Qt::Key_F5), travimo_, &TravimoWidget::click);
  instrument->addAction("Read &without caption (ReadTravimo)", travimo_,
                        &TravimoWidget::readTravimo);

  QMenu* demo = menuBar()->addMenu("&Demo");
  demo->addAction("Simulated &Lorvex", this, [this] { startDemo(sim::Mode::Lorvex); });
  demo->addAction("Simulated &Ostrel", this, [this] { startDemo(sim::Mode::Ostrel); });
  demo->addAction("Simulated &Brevane", this, [this] { startDemo(sim::Mode::Brevane); });

  QMenu* view = menuBar()->addMenu("&View");
  QAction* hidden = view->addAction("Show &hidden members");
  hidden->setCheckable(true);
  connect(hidden, &QAction::toggled, browser_, &PropertyBrowser::ShowHidden);

  QMenu* help = menuBar()->addMenu("&Help");
  help->addAction("&About Travimo…", this, &MainWindow::showAbout);
}

QWidget* MainWindow::BuildSettingsPanel() {
  auto* panel = new QWidget(this);
  auto* layout = new QVBoxLayout(panel);
  auto* box = new QGroupBox("Port and instrument", panel);
  auto* form = new QFormLayout(box);

  deviceEdit_ = new QLineEdit(box);
  portSpin_ = new QSpinBox(box);
  portSpin_->setRange(1, 99);
  lineSettingsEdit_ = new QLineEdit(box);
  typeCombo_ = EnumCombo("TravimoTypeEnum", box);
  dataTypeCombo_ = EnumCombo("TravimoDataTypeEnum", box);
  pointsCombo_ = EnumCombo("NumberOfPointsEnum", box);
  unitsCombo_ = EnumCombo("TemperatureTypeEnum", box);
  blueLineCombo_ = EnumCombo("BlueLineTriggerType", box);
  contPowerCheck_ = new QCheckBox("Keep the instrument awake", box);
  rawDataCheck_ = new QCheckBox("Save the received bytes", box);
  rawFileEdit_ = new QLineEdit(box);

  form->addRow("Port (CommPort)", portSpin_);
  form->addRow("Device", deviceEdit_);
  form->addRow("Line (Settings)", lineSettingsEdit_);
  form->addRow("Instrument", typeCombo_);
  form->addRow("Data type", dataTypeCombo_);
  form->addRow("Points", pointsCombo_);
  form->addRow("Temperature", unitsCombo_);
  form->addRow("Blue line", blueLineCombo_);
  form->addRow("ContPower", contPowerCheck_);
  form->addRow("SaveRawData", rawDataCheck_);
  form->addRow("Raw-data file", rawFileEdit_);
  layout->addWidget(box);

  auto* read = new QGroupBox("Read", panel);
  auto* readLayout = new QVBoxLayout(read);
  readLayout->addWidget(travimo_);
  readLayout->addWidget(new QLabel("Click to read; Escape cancels.", read));
  layout->addWidget(read);
  layout->addStretch(1);

  const auto assignCombo = [this](QComboBox* combo, const char* property) {
    connect(combo, &QComboBox::activated, this, [this, combo, property] {
      if (!refreshing_) travimo_->setProperty(property, combo->currentData());
    });
  };
  assignCombo(typeCombo_, "TravimoType");
  assignCombo(dataTypeCombo_, "ScanDataType");
  assignCombo(pointsCombo_, "NumberOfPoints");
  assignCombo(unitsCombo_, "Temp_Units");
  assignCombo(blueLineCombo_, "BlueLineTrigger");
  connect(portSpin_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!refreshing_) travimo_->setProperty("CommPort", value);
  });
  connect(lineSettingsEdit_, &QLineEdit::editingFinished, this, [this] {
    if (!refreshing_) travimo_->setProperty("Settings", lineSettingsEdit_->text());
  });
  connect(rawFileEdit_, &QLineEdit::editingFinished, this, [this] {
    if (!refreshing_) travimo_->setProperty("OutPutFileName", rawFileEdit_->text());
  });
  connect(contPowerCheck_, &QCheckBox::toggled, this, [this](bool on) {
    if (!refreshing_) travimo_->setProperty("ContPower", on);
  });
  connect(rawDataCheck_, &QCheckBox::toggled, this, [this](bool on) {
    if (!refreshing_) travimo_->setProperty("SaveRawData", on);
  });
  connect(deviceEdit_, &QLineEdit::textChanged, this, [this] { RefreshSettings(); });
  return panel;
}

void MainWindow::RefreshSettings() {
  if (refreshing_) return;
  refreshing_ = true;
  portSpin_->setValue(travimo_->commPort());
  deviceEdit_->setPlaceholderText(
      QString::fromStdString(posix::DefaultDeviceFor(static_cast<int16_t>(travimo_->commPort()))));
  if (!lineSettingsEdit_->hasFocus()) lineSettingsEdit_->setText(travimo_->settings());
  if (!rawFileEdit_->hasFocus()) rawFileEdit_->setText(travimo_->outPutFileName());
  SelectValue(typeCombo_, travimo_->travimoType());
  SelectValue(dataTypeCombo_, travimo_->scanDataType());
  SelectValue(pointsCombo_, travimo_->numberOfPoints());
  SelectValue(unitsCombo_, travimo_->tempUnits());
  SelectValue(blueLineCombo_, travimo_->blueLineTrigger());
  contPowerCheck_->setChecked(travimo_->contPower());
  rawDataCheck_->setChecked(travimo_->saveRawData());
  refreshing_ = false;
}

void MainWindow::useDevice(const QString& path) {
  deviceEdit_->setText(path);
}

QString MainWindow::device() const {
  return deviceEdit_->text();
}

std::string MainWindow::DeviceForPort(int16_t port) const {
  if (!demoDevice_.empty()) return demoDevice_;
  const QString chosen = deviceEdit_->text().trimmed();
  return chosen.isEmpty() ? posix::DefaultDeviceFor(port) : chosen.toStdString();
}

// ---- Settings file -------------------------------------------------------------

void MainWindow::LoadSettings() {
  try {
    JsonPropertyBag bag = JsonPropertyBag::Load(configPath_.toStdString());
    if (!bag.Existed()) return;
    travimo_->control().ReadProperties(bag);
    const PropertyValue device = bag.Read(kDeviceKey, std::string());
    if (const auto* text = std::get_if<std::string>(&device)) {
      deviceEdit_->setText(QString::fromStdString(*text));
    }
    Status("Settings loaded from " + configPath_);
  } catch (const RuntimeError& error) {
    Status(QString("Settings not loaded: %1").arg(Text(error.Description())));
  }
}

bool MainWindow::saveSettings() {
  try {
    const std::filesystem::path path = configPath_.toStdString();
    JsonPropertyBag bag = JsonPropertyBag::Load(path);  // keeps keys others wrote
    travimo_->control().WriteProperties(bag);
    bag.Write(kDeviceKey, deviceEdit_->text().toStdString(), std::string());
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    bag.Save(path);
    Status("Settings saved to " + configPath_);
    return true;
  } catch (const RuntimeError& error) {
    Status(QString("Settings not saved: %1").arg(Text(error.Description())));
    return false;
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The read runs inside this window's event handling; it must end first.
  if (travimo_->reading()) {
    travimo_->control().KeyPress(27);
    Status("Cancelling the read…");
    event->ignore();
    return;
  }
  saveSettings();
  event->accept();
}

// ---- Reads and results -----------------------------------------------------------

void MainWindow::ReadStarted() {
  beforeRead_ = SnapshotOf(travimo_->control());
  Status(QString("Reading from %1…")
             .arg(QString::fromStdString(DeviceForPort(travimo_->control().CommPort()))));
}

void MainWindow::ReadFinished() {
  const auto kind = ReplacedKind(beforeRead_, travimo_->control());
  beforeRead_ = {};
  if (kind) ShowResults(*kind);
  if (simulator_) {
    simulator_->Stop();
    simulator_.reset();
    demoDevice_.clear();
  }
}

void MainWindow::ReportError(int number) {
  const auto name = MemberName("TravimoErrors", number);
  QString text = QString("TravimoError %1").arg(number);
  if (name) text += " (" + Text(*name) + ")";
  const std::string& description = travimo_->control().LastErrorDescription();
  if (!description.empty()) text += ": " + Text(description);
  Status(text);
}

void MainWindow::ShowResults(TransferKind kind) {
  shownKind_ = kind;
  rows_ = ScanRows(CollectResults(travimo_->control(), kind));
  const QStringList columns = ScanColumns(kind);
  table_->clear();
  table_->setColumnCount(static_cast<int>(columns.size()));
  table_->setHorizontalHeaderLabels(columns);
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
    const QStringList& cells = rows_[static_cast<size_t>(row)].cells;
    for (int column = 0; column < cells.size(); ++column) {
      table_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
  }
  table_->resizeColumnsToContents();
  Status(QString("%1 %2 %3 read")
             .arg(rows_.size())
             .arg(Text(KindName(kind)))
             .arg(rows_.size() == 1 ? "record" : "records"));
  if (!rows_.empty()) {
    table_->selectRow(0);
  } else {
    plot_->Show(nullptr, {});
  }
  browser_->Refresh();
}

void MainWindow::ShowSelectedScan() {
  const auto selected = table_->selectionModel()->selectedRows();
  if (selected.isEmpty()) {
    plot_->Show(nullptr, {});
    return;
  }
  const auto index = static_cast<size_t>(selected.front().row());
  if (index >= rows_.size()) return;
  const ScanRow& row = rows_[index];
  plot_->Show(&row, QString("%1 record %2").arg(Text(KindName(shownKind_))).arg(row.position));
}

bool MainWindow::openRawDataFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    Status(QString("Cannot open %1: %2").arg(path, file.errorString()));
    return false;
  }
  const QByteArray bytes = file.readAll();
  std::string text(bytes.constData(), static_cast<size_t>(bytes.size()));
  const TransferKind kind = ClassifyTransfer(text);
  travimo_->control().DecodeTransfer(std::move(text));
  const QString error = status_->text();
  ShowResults(kind);
  if (error.startsWith("TravimoError")) Status(error);
  return true;
}

void MainWindow::OpenRawDataFileDialog() {
  const QString path = QFileDialog::getOpenFileName(this, "Open raw-data file", QDir::currentPath(),
                                                    "Raw data (*.dat *.txt);;All files (*)");
  if (!path.isEmpty()) openRawDataFile(path);
}

void MainWindow::startDemo(sim::Mode mode) {
  if (travimo_->reading()) return;
  sim::Script script;
  script.mode = mode;
  script.scans = 4;
  try {
    simulator_ = std::make_unique<sim::Simulator>(script);
    simulator_->Start();
  } catch (const std::system_error& error) {
    simulator_.reset();
    Status(QString("Cannot start the simulator: %1").arg(error.what()));
    return;
  }
  demoDevice_ = simulator_->SlavePath();
  travimo_->setProperty("TravimoType", TypeFor(mode));
  Status(QString("Simulated instrument on %1").arg(QString::fromStdString(demoDevice_)));
  // After the menu has closed: the read runs inside the event loop.
  QTimer::singleShot(0, travimo_, &TravimoWidget::click);
}

void MainWindow::showAbout() {
  AboutDialog dialog(MakeAboutPage(travimo_->control().Version()), this);
  dialog.exec();
}

void MainWindow::Status(const QString& text) {
  status_->setText(text);
}

QString MainWindow::statusText() const {
  return status_->text();
}

}  // namespace travimo::gui
