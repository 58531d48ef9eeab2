#pragma once
// File → Export: the shown records to a file through the tool's own writers
// (CSV, wide CSV, JSON, or the plot as PNG, SVG or PDF), saved the one safe way.
#include <QDialog>
#include <QString>
#include <optional>
#include <ostream>

#include <travimo/control/read_results.h>
#include "exports/export_metadata.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace travimo::gui {

enum class ExportFormat { Csv, WideCsv, Json, Png, Svg, Pdf };

// The format a file name's extension calls for (.csv is the long layout).
std::optional<ExportFormat> ExportFormatFor(const QString& path);

// Writes and saves; fails with the writer's or the save's RuntimeError.
void ExportTo(const QString& path, ExportFormat format, char delimiter,
              const ReadResults& results, const exports::ExportMetadata& metadata);

class ExportDialog : public QDialog {
  Q_OBJECT

 public:
  ExportDialog(ReadResults results, exports::ExportMetadata metadata, const QString& directory,
               QWidget* parent = nullptr);

  QComboBox* formatBox() const { return format_; }
  QLineEdit* pathEdit() const { return path_; }
  QLabel* problem() const { return problem_; }
  // Exports to the chosen file; false with the reason shown when it fails.
  bool exportNow();
  QString savedPath() const { return saved_; }

 private:
  void Browse();
  void FollowFormat();
  ExportFormat Format() const;

  ReadResults results_;
  exports::ExportMetadata metadata_;
  QComboBox* format_;
  QComboBox* delimiter_;
  QLineEdit* path_;
  QLabel* problem_;
  QString saved_;
};

}  // namespace travimo::gui
