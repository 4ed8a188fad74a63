// Cells as clipboard text: tab-separated (what spreadsheets paste) and CSV.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace browser {

// Joins rows of cells, separator between cells and lineEnd after every row. A cell that holds
// the separator, a quote or a line break is put in quotes, its quotes doubled (as RFC 4180 has
// it for CSV; spreadsheets read tab-separated text the same way).
QString joinCells(const QList<QStringList>& rows, QChar separator, const QString& lineEnd);

// Splits tab-separated text into rows of cells, reading quoted cells as joinCells writes them.
// "\n" and "\r\n" end a row; a line end at the very end adds no empty row. A quote that does not
// open the cell is an ordinary character.
QList<QStringList> splitTabbedCells(const QString& text);

}  // namespace browser
