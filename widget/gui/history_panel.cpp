#include "widget/gui/history_panel.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeZone>
#include <QVBoxLayout>

#include "archive/archive_store.h"
#include "archive/read_entry.h"
#include <travimo/model/error.h>
#include "widget/gui/results_view.h"

namespace travimo::gui {

namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString LocalTime(int64_t utcMs, int32_t offsetMinutes) {
  // The local time of the read, wherever it is looked at now.
  return QDateTime::fromMSecsSinceEpoch(utcMs + int64_t{offsetMinutes} * 60000, QTimeZone::utc())
      .toString("yyyy-MM-dd HH:mm:ss");
}

QString Outcome(int32_t number, const std::string& name) {
  if (number == 0) return "OK";
  return QString("Error %1").arg(number) + (name.empty() ? QString() : " (" + Text(name) + ")");
}

exports::ExportMetadata MetadataOf(const archive::ReadEntry& entry, int64_t id) {
  exports::ExportMetadata metadata;
  metadata.device = entry.device;
  metadata.readUtcMs = entry.startedUtcMs;
  metadata.archiveEntry = id;
  const auto& s = entry.settings;
  metadata.settings = exports::ParseSettingsOf(
      entry.results.kind,
      {s.scanDataType, s.tempUnits, s.numberOfPoints, s.blueLineTrigger, s.arrayStart});
  return metadata;
}

}  // namespace

QString HexDump(std::string_view bytes) {
  QString text;
  for (size_t line = 0; line < bytes.size(); line += 16) {
    const std::string_view part = bytes.substr(line, 16);
    QString hex;
    QString chars;
    for (const char c : part) {
      const auto byte = static_cast<unsigned char>(c);
      hex += QString("%1 ").arg(byte, 2, 16, QChar('0'));
      chars += byte >= 0x20 && byte < 0x7f ? QChar(byte) : QChar('.');
    }
    text += QString("%1  %2 |%3|\n").arg(line, 8, 16, QChar('0')).arg(hex, -48).arg(chars);
  }
  return text;
}

HistoryPanel::HistoryPanel(SettingsSource settings, QWidget* parent)
    : QWidget(parent), settings_(std::move(settings)) {
  filter_ = new QLineEdit(this);
  filter_->setObjectName("historyFilter");
  filter_->setPlaceholderText("Filter: device, instrument, date, outcome…");
  filter_->setClearButtonEnabled(true);
  auto* refresh = new QPushButton("Refresh", this);
  auto* top = new QHBoxLayout;
  top->addWidget(filter_, 1);
  top->addWidget(refresh);

  reads_ = new QTableWidget(0, 6, this);
  reads_->setHorizontalHeaderLabels({"Read", "Time", "Device", "Instrument", "Records", "Outcome"});
  reads_->setSelectionBehavior(QAbstractItemView::SelectRows);
  reads_->setSelectionMode(QAbstractItemView::SingleSelection);
  reads_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  reads_->verticalHeader()->setVisible(false);
  reads_->horizontalHeader()->setStretchLastSection(true);

  results_ = new ResultsView(this);
  hex_ = new QPlainTextEdit(this);
  hex_->setReadOnly(true);
  hex_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  hex_->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* tabs = new QTabWidget(this);
  tabs->addTab(results_, "Records");
  tabs->addTab(hex_, "Received bytes");

  decode_ = new QPushButton("Decode again with the form's settings", this);
  export_ = new QPushButton("Export…", this);
  decode_->setEnabled(false);
  export_->setEnabled(false);
  auto* actions = new QHBoxLayout;
  actions->addWidget(decode_);
  actions->addStretch(1);
  actions->addWidget(export_);

  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(reads_);
  split->addWidget(tabs);
  split->setStretchFactor(1, 3);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(split, 1);
  layout->addLayout(actions);

  connect(filter_, &QLineEdit::textChanged, this, &HistoryPanel::ApplyFilter);
  connect(refresh, &QPushButton::clicked, this, &HistoryPanel::refresh);
  connect(reads_, &QTableWidget::itemSelectionChanged, this, &HistoryPanel::ShowSelected);
  connect(decode_, &QPushButton::clicked, this, &HistoryPanel::decodeAgain);
  connect(export_, &QPushButton::clicked, this, &HistoryPanel::exportRequested);
}

void HistoryPanel::refresh() {
  std::vector<archive::ReadSummary> history;
  try {
    history = archive::OpenSqliteArchive(archive::ArchivePath(archivePath_.toStdString()))
                  ->History({});
  } catch (const RuntimeError& error) {
    results_->status()->ShowFailure(FailureOf(error.Number(), error.Description()));
  }
  reads_->setRowCount(0);
  reads_->setRowCount(static_cast<int>(history.size()));
  int row = 0;
  for (auto read = history.rbegin(); read != history.rend(); ++read, ++row) {
    const QStringList cells = {QString::number(read->id),
                               LocalTime(read->startedUtcMs, read->utcOffsetMinutes),
                               Text(read->device),
                               Text(read->instrument),
                               QString::number(read->records),
                               Outcome(read->errorNumber, read->errorName)};
    for (int column = 0; column < cells.size(); ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(read->id));
      reads_->setItem(row, column, item);
    }
  }
  reads_->resizeColumnsToContents();
  ApplyFilter();
}

void HistoryPanel::ApplyFilter() {
  const QString wanted = filter_->text().trimmed();
  for (int row = 0; row < reads_->rowCount(); ++row) {
    bool match = wanted.isEmpty();
    for (int column = 0; !match && column < reads_->columnCount(); ++column) {
      match = reads_->item(row, column)->text().contains(wanted, Qt::CaseInsensitive);
    }
    reads_->setRowHidden(row, !match);
  }
}

int HistoryPanel::visibleReads() const {
  int count = 0;
  for (int row = 0; row < reads_->rowCount(); ++row) count += reads_->isRowHidden(row) ? 0 : 1;
  return count;
}

void HistoryPanel::selectRead(int64_t id) {
  for (int row = 0; row < reads_->rowCount(); ++row) {
    if (reads_->item(row, 0)->data(Qt::UserRole).toLongLong() == id) reads_->selectRow(row);
  }
}

void HistoryPanel::ShowSelected() {
  const auto selected = reads_->selectionModel()->selectedRows();
  if (selected.isEmpty()) return;
  const int64_t id = reads_->item(selected.front().row(), 0)->data(Qt::UserRole).toLongLong();
  try {
    shown_ = archive::OpenSqliteArchive(archive::ArchivePath(archivePath_.toStdString()))->Load(id);
  } catch (const RuntimeError& error) {
    shown_.reset();
    results_->status()->ShowFailure(FailureOf(error.Number(), error.Description()));
    return;
  }
  shownId_ = id;
  const archive::ReadEntry& entry = *shown_;
  if (entry.errorNumber != 0) {
    results_->status()->ShowFailure(FailureOf(entry.errorNumber, entry.errorDescription));
  } else {
    results_->status()->ClearFailure();
  }
  results_->Show(entry.results,
                 QString("Read %1 · %2 · %3 from %4")
                     .arg(id)
                     .arg(LocalTime(entry.startedUtcMs, entry.utcOffsetMinutes))
                     .arg(Text(entry.source), Text(entry.device)),
                 MetadataOf(entry, id));
  hex_->setPlainText(HexDump(std::string_view(reinterpret_cast<const char*>(entry.raw.data()),
                                              entry.raw.size())));
  decode_->setEnabled(!entry.raw.empty());
  export_->setEnabled(true);
}

void HistoryPanel::decodeAgain() {
  if (!shown_) return;
  const DecodeSettings settings = settings_();
  Decoded decoded =
      DecodeOffline(std::string(shown_->raw.begin(), shown_->raw.end()), settings);
  if (decoded.errorNumber != 0) {
    results_->status()->ShowFailure(FailureOf(decoded.errorNumber, decoded.errorDescription));
    results_->MarkStale();
    return;
  }
  results_->status()->ClearFailure();
  exports::ExportMetadata metadata = MetadataOf(*shown_, *shownId_);
  metadata.settings = exports::ParseSettingsOf(
      decoded.results.kind, {settings.scanDataType, settings.tempUnits, settings.numberOfPoints,
                             settings.blueLineTrigger, decoded.arrayStart});
  const int count = decoded.results.Count();
  results_->Show(std::move(decoded.results),
                 QString("Read %1 decoded again with the form's settings: %2 records")
                     .arg(*shownId_)
                     .arg(count),
                 std::move(metadata));
}

}  // namespace travimo::gui
