#pragma once
// The archive's reads: a filterable list (time, device, instrument, records,
// outcome); the selected read's records, plot and received bytes; a decode
// of those bytes with other settings; and export.
#include <QWidget>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "archive/archive_entry.h"
#include "widget/gui/offline_decode.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace travimo::gui {

class ResultsView;

// "00000000  53 0d 0a 31 ...  |S..1...|", sixteen bytes a line.
QString HexDump(std::string_view bytes);

class HistoryPanel : public QWidget {
  Q_OBJECT

 public:
  using SettingsSource = std::function<DecodeSettings()>;

  // settings: what a decode again uses (the form's read settings).
  HistoryPanel(SettingsSource settings, QWidget* parent = nullptr);

  void useArchive(const QString& path) { archivePath_ = path; }
  // Lists the archive's reads again, newest first.
  void refresh();
  void selectRead(int64_t id);
  void decodeAgain();

  QLineEdit* filter() const { return filter_; }
  QTableWidget* reads() const { return reads_; }
  ResultsView* results() const { return results_; }
  QPlainTextEdit* hex() const { return hex_; }
  QPushButton* exportButton() const { return export_; }
  int visibleReads() const;

 signals:
  void exportRequested();

 private:
  void ApplyFilter();
  void ShowSelected();

  SettingsSource settings_;
  QString archivePath_;
  QLineEdit* filter_;
  QTableWidget* reads_;
  ResultsView* results_;
  QPlainTextEdit* hex_;
  QPushButton* decode_;
  QPushButton* export_;
  std::optional<archive::ReadEntry> shown_;
  std::optional<int64_t> shownId_;
};

}  // namespace travimo::gui
