#pragma once
// travimo-gui's window: the instrument settings, the read button (the
// control itself), the scans of the last read or file, a plot of the selected
// scan, and a property browser. Settings persist through the control's own
// ReadProperties/WriteProperties in a JSON property file.
#include <QMainWindow>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/dispatch.h"
#include "sim/simulator.h"
#include "widget/gui/scan_rows.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;
class TravimoWidget;

namespace travimo::gui {

class PropertyBrowser;
class ScanPlot;

// ~/.config/travimo/gui.json, or under $XDG_CONFIG_HOME when it is set.
QString DefaultConfigPath();

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(const QString& configPath, QWidget* parent = nullptr);
  ~MainWindow() override;

  TravimoWidget* travimo() const { return travimo_; }
  QTableWidget* scanTable() const { return table_; }
  ScanPlot* plot() const { return plot_; }
  PropertyBrowser* propertyBrowser() const { return browser_; }
  QString statusText() const;

  // The device the port stands for; empty means the port's usual device.
  void useDevice(const QString& path);
  QString device() const;

 public slots:
  bool openRawDataFile(const QString& path);
  // Starts the built-in simulator on a pseudo-terminal and reads from it.
  void startDemo(travimo::sim::Mode mode);
  bool saveSettings();
  void showAbout();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  QWidget* BuildSettingsPanel();
  void LoadSettings();
  void RefreshSettings();
  void ShowResults(TransferKind kind);
  void ShowSelectedScan();
  void ReadStarted();
  void ReadFinished();
  void ReportError(int number);
  void Status(const QString& text);
  void OpenRawDataFileDialog();
  std::string DeviceForPort(int16_t port) const;

  QString configPath_;
  TravimoWidget* travimo_ = nullptr;
  QTableWidget* table_ = nullptr;
  ScanPlot* plot_ = nullptr;
  PropertyBrowser* browser_ = nullptr;
  QLabel* status_ = nullptr;

  QLineEdit* deviceEdit_ = nullptr;
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

  TransferKind shownKind_ = TransferKind::Lorvex;
  std::vector<ScanRow> rows_;
  CollectionSnapshot beforeRead_;
  std::unique_ptr<sim::Simulator> simulator_;
  std::string demoDevice_;
  bool refreshing_ = false;
};

}  // namespace travimo::gui
