// Row colours shared by the panels' lists: odd rows light grey, even rows
// white; text colours of the SMART rows' states.
#pragma once

#include <QColor>
#include <QTreeWidget>

namespace ui {

inline const QColor kOddRowColor(192, 192, 192);
inline const QColor kWarningTextColor(230, 100, 0);
inline const QColor kFailedTextColor(255, 0, 0);
inline const QColor kGoodTextColor(0, 128, 0);

// Colour state of a SMART row.
enum class RowState { Normal = 0, Warning = 1, Failed = 2 };

// A report-view list: full-row select, no tree decoration, one header.
QTreeWidget* MakeReportList(int id, const QStringList& headers, QWidget* parent);

// Gives every row its background by its index.
void ColorRows(QTreeWidget* list);

// Sets the text colour of every column of a row.
void SetRowTextColor(QTreeWidgetItem* item, const QColor& color);

// Fits every column to its header and content.
void FitColumns(QTreeWidget* list);

}  // namespace ui
