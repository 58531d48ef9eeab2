#include "widget/gui/export_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <sstream>
#include <stdexcept>

#include "exports/csv_writer.h"
#include "exports/json_writer.h"
#include "exports/plot.h"
#include <travimo/model/error.h>
#include "platform/posix/atomic_file.h"

namespace travimo::gui {

namespace {

struct FormatInfo {
  ExportFormat format;
  const char* label;
  const char* extension;
};

constexpr FormatInfo kFormats[] = {
    {ExportFormat::Csv, "CSV, one row per point", "csv"},
    {ExportFormat::WideCsv, "CSV, one column per record (wide)", "csv"},
    {ExportFormat::Json, "JSON", "json"},
    {ExportFormat::Png, "Plot as PNG", "png"},
    {ExportFormat::Svg, "Plot as SVG", "svg"},
    {ExportFormat::Pdf, "Plot as PDF", "pdf"},
};

const FormatInfo& InfoOf(ExportFormat format) {
  for (const auto& info : kFormats) {
    if (info.format == format) return info;
  }
  return kFormats[0];
}

}  // namespace

std::optional<ExportFormat> ExportFormatFor(const QString& path) {
  const QString extension = QFileInfo(path).suffix().toLower();
  for (const auto& info : kFormats) {
    if (extension == info.extension) return info.format;
  }
  return std::nullopt;
}

void ExportTo(const QString& path, ExportFormat format, char delimiter, const ReadResults& results,
              const exports::ExportMetadata& metadata) {
  std::ostringstream out;
  switch (format) {
    case ExportFormat::Csv:
    case ExportFormat::WideCsv: {
      exports::CsvOptions options;
      options.layout =
          format == ExportFormat::WideCsv ? exports::CsvLayout::Wide : exports::CsvLayout::Long;
      options.delimiter = delimiter;
      exports::WriteCsv(results, options, out);
      break;
    }
    case ExportFormat::Json:
      exports::WriteJson(results, metadata, out);
      break;
    case ExportFormat::Png:
    case ExportFormat::Svg:
    case ExportFormat::Pdf: {
      exports::PlotOptions options;
      options.format = format == ExportFormat::Png   ? exports::PlotFormat::Png
                       : format == ExportFormat::Svg ? exports::PlotFormat::Svg
                                                     : exports::PlotFormat::Pdf;
      try {
        exports::WritePlot(results, options, out);
      } catch (const std::runtime_error& error) {
        throw RuntimeError(7, "travimo-gui", std::string("The plot was not drawn: ") + error.what());
      }
      break;
    }
  }
  posix::ReplaceFileContent(path.toStdString(), std::string_view(out.str()));
}

ExportDialog::ExportDialog(ReadResults results, exports::ExportMetadata metadata,
                           const QString& directory, QWidget* parent)
    : QDialog(parent), results_(std::move(results)), metadata_(std::move(metadata)) {
  setWindowTitle("Export");
  format_ = new QComboBox(this);
  for (const auto& info : kFormats) format_->addItem(info.label, static_cast<int>(info.format));
  delimiter_ = new QComboBox(this);
  delimiter_->addItem("Comma", int{','});
  delimiter_->addItem("Semicolon", int{';'});
  delimiter_->addItem("Tab", int{'\t'});
  path_ = new QLineEdit(QDir(directory).filePath("travimo-export.csv"), this);
  auto* browse = new QPushButton("Browse…", this);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(path_, 1);
  pathRow->addWidget(browse);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("Export");

  auto* form = new QFormLayout(this);
  form->addRow(QString("%1 %2 records").arg(results_.Count()).arg(
                   QString::fromStdString(KindName(results_.kind))),
               new QWidget(this));
  form->addRow("Format", format_);
  form->addRow("CSV delimiter", delimiter_);
  form->addRow("File", pathRow);
  problem_ = new QLabel(this);
  problem_->setObjectName("exportProblem");
  problem_->setWordWrap(true);
  problem_->setStyleSheet("QLabel { color: #b71c1c; }");
  problem_->hide();
  form->addRow(problem_);
  form->addRow(buttons);

  connect(format_, &QComboBox::currentIndexChanged, this, &ExportDialog::FollowFormat);
  connect(browse, &QPushButton::clicked, this, &ExportDialog::Browse);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (exportNow()) accept();
  });
  resize(560, sizeHint().height());
}

ExportFormat ExportDialog::Format() const {
  return static_cast<ExportFormat>(format_->currentData().toInt());
}

// The file's extension follows the format, so the two never disagree.
void ExportDialog::FollowFormat() {
  const ExportFormat format = Format();
  delimiter_->setEnabled(format == ExportFormat::Csv || format == ExportFormat::WideCsv);
  QFileInfo file(path_->text());
  path_->setText(file.dir().filePath(file.completeBaseName() + "." + InfoOf(format).extension));
}

void ExportDialog::Browse() {
  const QString chosen = QFileDialog::getSaveFileName(
      this, "Export to", path_->text(), QString("*.%1").arg(InfoOf(Format()).extension));
  if (chosen.isEmpty()) return;
  path_->setText(chosen);
  if (const auto format = ExportFormatFor(chosen); format && InfoOf(*format).extension !=
                                                                 InfoOf(Format()).extension) {
    format_->setCurrentIndex(format_->findData(static_cast<int>(*format)));
  }
}

bool ExportDialog::exportNow() {
  const QString path = path_->text().trimmed();
  try {
    if (path.isEmpty()) throw RuntimeError(75, "travimo-gui", "Name the file to export to.");
    ExportTo(path, Format(), static_cast<char>(delimiter_->currentData().toInt()), results_,
             metadata_);
    saved_ = path;
    return true;
  } catch (const RuntimeError& error) {
    problem_->setText(QString("Error %1: %2\nChoose another file or directory and export again.")
                          .arg(error.Number())
                          .arg(QString::fromStdString(error.Description())));
    problem_->show();
    return false;
  }
}

}  // namespace travimo::gui
