#pragma once
// travimo-gui's window: the instrument settings, the read button (the
// control itself), the records of the last read or file with their origin,
// a plot of the current record, and a property browser. The control's
// properties persist through its own ReadProperties/WriteProperties in a
// JSON property file.
#include <QMainWindow>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/dispatch.h"
#include "sim/simulator.h"
#include "widget/gui/form_lock.h"
#include "widget/gui/program_settings.h"
#include "widget/gui/read_status.h"
#include "widget/gui/results_view.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QDockWidget;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;
class TravimoWidget;

namespace travimo::gui {

class DeviceList;
class HistoryPanel;
class PropertyBrowser;
class ScanPlot;

// The control's properties: ~/.config/travimo/gui.json, or under
// $XDG_CONFIG_HOME when it is set. The program's own settings sit beside it.
QString DefaultConfigPath();

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(const QString& configPath, QWidget* parent = nullptr);
  ~MainWindow() override;

  TravimoWidget* travimo() const { return travimo_; }
  ResultsView* results() const { return results_; }
  QTableWidget* scanTable() const { return results_->table(); }
  ScanPlot* plot() const { return results_->plot(); }
  QPushButton* cancelButton() const { return cancelButton_; }
  PropertyBrowser* propertyBrowser() const { return browser_; }
  QString statusText() const;

  // The device the port stands for; empty means the port's usual device.
  void useDevice(const QString& path);
  QString device() const;
  // Reads are kept in the archive at path; empty is the default archive.
  void useArchive(const QString& path);
  HistoryPanel* history() const { return history_; }
  void showHistory();

 public slots:
  bool openRawDataFile(const QString& path);
  // Starts the built-in simulator on a pseudo-terminal and reads from it.
  void startDemo(travimo::sim::Mode mode);
  bool saveSettings();
  void showAbout();
  // The export dialog for the shown records; null when none are shown.
  std::unique_ptr<QDialog> exportDialog(const ResultsView* view = nullptr);
  // Asks the running read to stop, as Escape on the control does.
  void cancelRead();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  QWidget* BuildSettingsPanel();
  void LoadSettings();
  void RefreshSettings();
  void ReadStarted();
  void ReadFinished();
  // The read's bytes, settings, outcome and records to the archive; the
  // entry's number, or nothing when it could not be kept (told in the status).
  std::optional<int64_t> ArchiveRead(const ReadResults& results);
  void ShowProgress();
  void ReportError(int number);
  void Status(const QString& text);
  void OpenRawDataFileDialog();
  void ExportFrom(const ResultsView& view);
  void PrintPlot();
  std::string DeviceForPort(int16_t port) const;

  QString configPath_;
  ProgramSettings program_;
  QString archivePath_;
  TravimoWidget* travimo_ = nullptr;
  ResultsView* results_ = nullptr;
  PropertyBrowser* browser_ = nullptr;
  HistoryPanel* history_ = nullptr;
  QDockWidget* historyDock_ = nullptr;
  QLabel* status_ = nullptr;
  QGroupBox* settingsBox_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QAction* cancelAction_ = nullptr;
  std::vector<QAction*> idleActions_;  // what must wait for a running read to end
  QTimer* progressTimer_ = nullptr;

  DeviceList* deviceEdit_ = nullptr;
  QSpinBox* portSpin_ = nullptr;
  QLineEdit* lineSettingsEdit_ = nullptr;
  QComboBox* typeCombo_ = nullptr;
  QComboBox* dataTypeCombo_ = nullptr;
  QComboBox* pointsCombo_ = nullptr;
  QComboBox* unitsCombo_ = nullptr;
  QComboBox* blueLineCombo_ = nullptr;
  QCheckBox* contPowerCheck_ = nullptr;
  QCheckBox* rawDataCheck_ = nullptr;
  QLineEdit* rawFileEdit_ = nullptr;

  FormLock lock_;
  CollectionSnapshot beforeRead_;
  double readStarted_ = 0.0;  // host monotonic seconds
  int64_t readStartedUtcMs_ = 0;
  std::string readDevice_;
  std::optional<ReadFailure> readFailure_;
  std::unique_ptr<sim::Simulator> simulator_;
  std::string demoDevice_;
  bool refreshing_ = false;
};

}  // namespace travimo::gui
