#include "widget/gui/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QDateTime>
#include <QDockWidget>
#include <QIcon>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "archive/read_entry.h"
#include "control/about_page.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include "rawdata/raw_data_sidecar.h"
#include <travimo/platform/posix/json_property_bag.h>
#include "platform/posix/regular_file.h"
#include "platform/posix/termios_serial.h"
#include "widget/gui/about_dialog.h"
#include "widget/gui/device_list.h"
#include "widget/gui/export_dialog.h"
#include "widget/gui/history_panel.h"
#include "widget/gui/offline_decode.h"
#include "widget/gui/property_browser.h"
#include "widget/gui/scan_plot.h"
#include "widget/travimo_widget.h"

namespace travimo::gui {

namespace {

// Where earlier versions kept the device, among the control's properties.
constexpr const char* kOldDeviceKey = "GuiDevicePath";
// The records the control saves with its properties are kept in the archive instead.
constexpr const char* kRecordKeys[] = {"LorvexData", "OstrelData", "BrevaneData"};

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
    : QMainWindow(parent), configPath_(configPath), program_(configPath) {
  setWindowTitle("Travimo");
  setWindowIcon(QIcon::fromTheme("travimo-gui"));
  travimo_ = new TravimoWidget(this);
  travimo_->setObjectName("travimo");
  travimo_->setMinimumSize(180, 56);
  travimo_->setPortResolver([this](int16_t port) { return DeviceForPort(port); });

  results_ = new ResultsView(this);
  browser_ = new PropertyBrowser(*travimo_, this);
  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(200);
  connect(progressTimer_, &QTimer::timeout, this, &MainWindow::ShowProgress);

  auto* right = new QSplitter(Qt::Vertical, this);
  right->addWidget(results_);
  right->addWidget(browser_);
  right->setStretchFactor(0, 3);
  right->setStretchFactor(1, 1);

  auto* main = new QSplitter(Qt::Horizontal, this);
  main->addWidget(BuildSettingsPanel());
  main->addWidget(right);
  main->setStretchFactor(1, 1);
  setCentralWidget(main);

  history_ = new HistoryPanel([this] { return DecodeSettingsOf(travimo_->control()); }, this);
  historyDock_ = new QDockWidget("History", this);
  historyDock_->setObjectName("historyDock");
  historyDock_->setWidget(history_);
  addDockWidget(Qt::RightDockWidgetArea, historyDock_);
  historyDock_->hide();
  connect(history_, &HistoryPanel::exportRequested, this,
          [this] { ExportFrom(*history_->results()); });

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

  resize(1200, 760);
  LoadSettings();
  RefreshSettings();
  browser_->Refresh();
}

MainWindow::~MainWindow() {
  if (simulator_) simulator_->Stop();
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  idleActions_.push_back(file->addAction("&Open raw-data file…", QKeySequence::Open, this,
                                         &MainWindow::OpenRawDataFileDialog));
  file->addAction("&Export…", QKeySequence(Qt::CTRL | Qt::Key_E), this,
                  [this] { ExportFrom(*results_); });
  file->addAction("&Print plot…", QKeySequence::Print, this, &MainWindow::PrintPlot);
  file->addAction("&Save settings", QKeySequence::Save, this, &MainWindow::saveSettings);
  file->addSeparator();
  file->addAction("&Quit", QKeySequence::Quit, this, &QWidget::close);

  QMenu* instrument = menuBar()->addMenu("&Instrument");
  idleActions_.push_back(
      instrument->addAction("&Read", QKeySequence(Qt::Key_F5), travimo_, &TravimoWidget::click));
  idleActions_.push_back(instrument->addAction("Read &without caption (ReadTravimo)", travimo_,
                                               &TravimoWidget::readTravimo));
  cancelAction_ = instrument->addAction("&Cancel read", this, &MainWindow::cancelRead);
  cancelAction_->setEnabled(false);

  QMenu* demo = menuBar()->addMenu("&Demo");
  idleActions_.push_back(
      demo->addAction("Simulated &Lorvex", this, [this] { startDemo(sim::Mode::Lorvex); }));
  idleActions_.push_back(
      demo->addAction("Simulated &Ostrel", this, [this] { startDemo(sim::Mode::Ostrel); }));
  idleActions_.push_back(
      demo->addAction("Simulated &Brevane", this, [this] { startDemo(sim::Mode::Brevane); }));

  QMenu* view = menuBar()->addMenu("&View");
  view->addAction("&History", QKeySequence(Qt::CTRL | Qt::Key_H), this, &MainWindow::showHistory);
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
  settingsBox_ = box;
  auto* form = new QFormLayout(box);

  deviceEdit_ = new DeviceList("/dev", cli::ListPorts, box);
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
  // Never takes the focus: a focus move away from the control cancels on its own.
  cancelButton_ = new QPushButton("Cancel read (Esc)", read);
  cancelButton_->setObjectName("cancelRead");
  cancelButton_->setFocusPolicy(Qt::NoFocus);
  cancelButton_->setEnabled(false);
  connect(cancelButton_, &QPushButton::clicked, this, &MainWindow::cancelRead);
  readLayout->addWidget(cancelButton_);
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
  connect(deviceEdit_, &QComboBox::editTextChanged, this, [this] { RefreshSettings(); });
  return panel;
}

void MainWindow::RefreshSettings() {
  if (refreshing_) return;
  refreshing_ = true;
  portSpin_->setValue(travimo_->commPort());
  deviceEdit_->lineEdit()->setPlaceholderText(
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
  deviceEdit_->setDevice(path);
}

QString MainWindow::device() const {
  return deviceEdit_->device();
}

std::string MainWindow::DeviceForPort(int16_t port) const {
  if (!demoDevice_.empty()) return demoDevice_;
  const QString chosen = deviceEdit_->device();
  return chosen.isEmpty() ? posix::DefaultDeviceFor(port) : chosen.toStdString();
}

// ---- Settings file -------------------------------------------------------------

void MainWindow::LoadSettings() {
  try {
    if (!program_.Geometry().isEmpty()) restoreGeometry(program_.Geometry());
    if (program_.HasDevice()) deviceEdit_->setDevice(program_.Device());
    JsonPropertyBag bag = JsonPropertyBag::Load(configPath_.toStdString());
    if (!bag.Existed()) return;
    travimo_->control().ReadProperties(bag);
    const PropertyValue device = bag.Read(kOldDeviceKey, std::string());
    const auto* text = std::get_if<std::string>(&device);
    if (text && !program_.HasDevice()) deviceEdit_->setDevice(QString::fromStdString(*text));
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
    for (const char* key : kRecordKeys) bag.Write(key, PropertyValue(), PropertyValue());
    bag.Write(kOldDeviceKey, std::string(), std::string());
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    bag.Save(path);
    program_.Device(deviceEdit_->device());
    program_.Geometry(saveGeometry());
    QString problem;
    if (!program_.Save(problem)) {
      Status("Window settings not saved: " + problem);
      return false;
    }
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
  readFailure_.reset();
  readStarted_ = travimo_->host().MonotonicSeconds();
  readStartedUtcMs_ = QDateTime::currentMSecsSinceEpoch();
  readDevice_ = DeviceForPort(travimo_->control().CommPort());
  lock_.Engage(*centralWidget(), *travimo_, {settingsBox_, browser_});
  for (QAction* action : idleActions_) action->setEnabled(false);
  cancelAction_->setEnabled(true);
  cancelButton_->setEnabled(true);
  progressTimer_->start();
  ShowProgress();
  Status(QString("Reading from %1…").arg(QString::fromStdString(readDevice_)));
}

void MainWindow::ShowProgress() {
  const Travimo& control = travimo_->control();
  if (!control.Reading()) return;
  const double now = travimo_->host().MonotonicSeconds();
  results_->status()->ShowProgress(ProgressText(control.ReceivedSoFar().size(), now - readStarted_,
                                                control.ReadProgress(), now));
}

void MainWindow::ReadFinished() {
  progressTimer_->stop();
  results_->status()->ShowProgress({});
  cancelButton_->setEnabled(false);
  cancelAction_->setEnabled(false);
  for (QAction* action : idleActions_) action->setEnabled(true);
  lock_.Release();
  const TransferKind kind = FilledKind(beforeRead_, travimo_->control());
  ReadResults results = CollectResults(travimo_->control(), kind);
  const std::optional<int64_t> entry = ArchiveRead(results);
  if (entry && historyDock_->isVisible()) history_->refresh();
  if (readFailure_) {
    results_->status()->ShowFailure(*readFailure_);
    results_->MarkStale();
    if (entry) Status(readFailure_->Headline());
  } else {
    results_->status()->ClearFailure();
    QString origin =
        QString("%1 %2 · read %3 from %4")
            .arg(results.Count())
            .arg(Text(KindName(kind)) + (results.Count() == 1 ? " record" : " records"))
            .arg(QDateTime::fromMSecsSinceEpoch(readStartedUtcMs_).toString("yyyy-MM-dd HH:mm:ss"))
            .arg(QString::fromStdString(readDevice_));
    if (entry) {
      origin += QString(" · archived as read %1").arg(*entry);
      Status(QString("%1 %2 %3 read").arg(results.Count()).arg(Text(KindName(kind)))
                 .arg(results.Count() == 1 ? "record" : "records"));
    }
    exports::ExportMetadata metadata;
    metadata.device = readDevice_;
    metadata.readUtcMs = readStartedUtcMs_;
    metadata.archiveEntry = entry;
    metadata.settings = exports::ParseSettingsOf(travimo_->control(), kind);
    results_->Show(std::move(results), origin, std::move(metadata));
  }
  beforeRead_ = {};
  browser_->Refresh();
  if (simulator_) {
    simulator_->Stop();
    simulator_.reset();
    demoDevice_.clear();
  }
}

std::optional<int64_t> MainWindow::ArchiveRead(const ReadResults& results) {
  try {
    archive::ReadEntry entry = archive::EntryOfRead(
        travimo_->control(), travimo_->received(), results, readFailure_ ? readFailure_->number : 0,
        readStartedUtcMs_, archive::NowUtcMs());
    entry.source = simulator_ ? "demo" : "gui";
    entry.device = readDevice_;
    return archive::KeepRead(archivePath_.toStdString(), entry);
  } catch (const RuntimeError& error) {
    Status(QString("The read was not archived: error %1: %2")
               .arg(error.Number())
               .arg(Text(error.Description())));
  } catch (const std::exception& error) {
    Status(QString("The read was not archived: %1").arg(error.what()));
  }
  return std::nullopt;
}

void MainWindow::cancelRead() {
  if (travimo_->reading()) travimo_->control().CancelTransfer(true);
}

void MainWindow::ReportError(int number) {
  const ReadFailure failure = FailureOf(number, travimo_->control().LastErrorDescription());
  if (travimo_->reading()) {
    readFailure_ = failure;
    return;
  }
  Status(failure.Headline());
}

bool MainWindow::openRawDataFile(const QString& path) {
  std::string bytes;
  try {
    bytes = posix::ReadRegularFile(path.toStdString());
  } catch (const RuntimeError& error) {
    Status(QString("Cannot open %1: %2").arg(path, Text(error.Description())));
    return false;
  }
  // The read's own settings when its sidecar still describes these bytes.
  DecodeSettings used = DecodeSettingsOf(travimo_->control());
  const SidecarLookup sidecar = FindMatchingSidecar(
      path.toStdString(), bytes, [](const std::string& name) { return posix::ReadRegularFile(name); });
  if (const auto& read = sidecar.sidecar) {
    used = *read;
  }
  Decoded decoded = DecodeOffline(std::move(bytes), used);
  if (decoded.errorNumber != 0) {
    const ReadFailure failure = FailureOf(decoded.errorNumber, decoded.errorDescription);
    results_->status()->ShowFailure(failure);
    results_->MarkStale();
    Status(QString("%1 does not decode: %2").arg(path, failure.Headline()));
    return false;
  }
  results_->status()->ClearFailure();
  const int count = decoded.results.Count();
  const QString kind = Text(KindName(decoded.results.kind));
  const QString records = count == 1 ? "record" : "records";
  exports::ExportMetadata metadata;
  metadata.settings = exports::ParseSettingsOf(
      decoded.results.kind, {used.scanDataType, used.tempUnits, used.numberOfPoints,
                             used.blueLineTrigger, decoded.arrayStart});
  results_->Show(std::move(decoded.results),
                 QString("%1 %2 %3 · file %4").arg(count).arg(kind, records, path),
                 std::move(metadata));
  const QString note = sidecar.note.empty() ? QString() : " · " + Text(sidecar.note);
  Status(QString("%1 %2 %3 decoded from %4").arg(count).arg(kind, records, path) + note);
  return true;
}

void MainWindow::OpenRawDataFileDialog() {
  const QString start =
      program_.LastDirectory().isEmpty() ? QDir::currentPath() : program_.LastDirectory();
  const QString path = QFileDialog::getOpenFileName(this, "Open raw-data file", start,
                                                    "Raw data (*.dat *.txt);;All files (*)");
  if (path.isEmpty()) return;
  program_.LastDirectory(QFileInfo(path).path());
  openRawDataFile(path);
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

std::unique_ptr<QDialog> MainWindow::exportDialog(const ResultsView* view) {
  if (!view) view = results_;
  if (view->Empty()) return nullptr;
  return std::make_unique<ExportDialog>(view->Results(), view->Metadata(),
                                        program_.LastDirectory(), this);
}

void MainWindow::useArchive(const QString& path) {
  archivePath_ = path;
  history_->useArchive(path);
}

void MainWindow::showHistory() {
  history_->refresh();
  historyDock_->show();
  historyDock_->raise();
}

void MainWindow::ExportFrom(const ResultsView& view) {
  auto dialog = exportDialog(&view);
  if (!dialog) {
    Status("Nothing to export: read, or open a file, first.");
    return;
  }
  if (dialog->exec() != QDialog::Accepted) return;
  const QString saved = static_cast<ExportDialog&>(*dialog).savedPath();
  program_.LastDirectory(QFileInfo(saved).path());
  Status("Exported to " + saved);
}

void MainWindow::PrintPlot() {
  QPrinter printer;
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  plot()->Print(printer);
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
