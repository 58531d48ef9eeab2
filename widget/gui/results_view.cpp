#include "widget/gui/results_view.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <map>
#include <set>

#include "widget/gui/scan_plot.h"

namespace travimo::gui {

ResultsView::ResultsView(QWidget* parent) : QWidget(parent) {
  status_ = new ReadStatusPanel(this);
  table_ = new QTableWidget(this);
  table_->setSelectionBehavior(QAbstractItemView::SelectItems);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->setVisible(false);
  table_->setAlternatingRowColors(true);
  plot_ = new ScanPlot(this);

  auto* copy = new QAction("Copy", table_);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(copy, &QAction::triggered, this, &ResultsView::CopySelection);
  table_->addAction(copy);
  table_->setContextMenuPolicy(Qt::ActionsContextMenu);

  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(table_);
  split->addWidget(plot_);
  split->setStretchFactor(1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(status_);
  layout->addWidget(split, 1);

  connect(table_, &QTableWidget::currentCellChanged, this, &ResultsView::ShowCurrentRow);
}

void ResultsView::Show(ReadResults results, const QString& origin,
                       exports::ExportMetadata metadata) {
  results_ = std::move(results);
  metadata_ = std::move(metadata);
  origin_ = origin;
  rows_ = ScanRows(results_);
  const QStringList columns = ScanColumns(results_.kind);
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
  status_->ShowOrigin(origin, false);
  if (rows_.empty()) {
    plot_->Show(nullptr, {});
  } else {
    table_->setCurrentCell(0, 0);
    ShowCurrentRow();
  }
}

void ResultsView::MarkStale() {
  if (!origin_.isEmpty()) status_->ShowOrigin(origin_, true);
}

void ResultsView::ShowCurrentRow() {
  const int row = table_->currentRow();
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) {
    plot_->Show(nullptr, {});
    return;
  }
  const ScanRow& shown = rows_[static_cast<size_t>(row)];
  plot_->Show(&shown, QString("%1 record %2")
                          .arg(QString::fromStdString(KindName(results_.kind)))
                          .arg(shown.position));
}

QString ResultsView::SelectionText() const {
  std::map<int, std::map<int, QString>> cells;  // row -> column -> text, in order
  std::set<int> columns;
  for (const QTableWidgetItem* item : table_->selectedItems()) {
    cells[item->row()][item->column()] = item->text();
    columns.insert(item->column());
  }
  if (cells.empty()) return {};
  const auto line = [&](const auto& textOf) {
    QStringList fields;
    for (int column : columns) fields << textOf(column);
    return fields.join('\t') + '\n';
  };
  QString text = line([&](int column) { return table_->horizontalHeaderItem(column)->text(); });
  for (const auto& [row, byColumn] : cells) {
    text += line([&](int column) {
      const auto found = byColumn.find(column);
      return found == byColumn.end() ? QString() : found->second;
    });
  }
  return text;
}

void ResultsView::CopySelection() {
  const QString text = SelectionText();
  if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

}  // namespace travimo::gui
