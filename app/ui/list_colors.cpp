#include "ui/list_colors.h"

#include <QHeaderView>

#include "ui/control_ids.h"

namespace ui {

QTreeWidget* MakeReportList(int id, const QStringList& headers, QWidget* parent) {
  auto* list = Named(new QTreeWidget(parent), id);
  list->setRootIsDecorated(false);
  list->setItemsExpandable(false);
  list->setUniformRowHeights(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setColumnCount(headers.size());
  list->setHeaderLabels(headers);
  list->header()->setStretchLastSection(true);
  list->setMouseTracking(true);
  return list;
}

void ColorRows(QTreeWidget* list) {
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list->topLevelItem(i);
    QBrush brush(i % 2 == 1 ? kOddRowColor : QColor(Qt::white));
    for (int c = 0; c < list->columnCount(); ++c) item->setBackground(c, brush);
  }
}

void SetRowTextColor(QTreeWidgetItem* item, const QColor& color) {
  for (int c = 0; c < item->columnCount(); ++c) item->setForeground(c, QBrush(color));
}

void FitColumns(QTreeWidget* list) {
  for (int c = 0; c < list->columnCount(); ++c) list->resizeColumnToContents(c);
}

}  // namespace ui
