#include "browser/CellText.h"

namespace browser {

QString joinCells(const QList<QStringList>& rows, QChar separator, const QString& lineEnd) {
    QString text;
    for (const QStringList& row : rows) {
        for (qsizetype column = 0; column < row.size(); ++column) {
            if (column > 0) text += separator;
            const QString& cell = row[column];
            if (cell.contains(separator) || cell.contains('"') || cell.contains('\n') ||
                cell.contains('\r')) {
                text += '"' + QString(cell).replace("\"", "\"\"") + '"';
            } else {
                text += cell;
            }
        }
        text += lineEnd;
    }
    return text;
}

QList<QStringList> splitTabbedCells(const QString& text) {
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;
    bool cellStarted = false;
    auto endRow = [&] {
        row << cell;
        rows << row;
        row.clear();
        cell.clear();
        cellStarted = false;
    };
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text[at];
        if (quoted) {
            if (c != '"') {
                cell += c;
            } else if (at + 1 < text.size() && text[at + 1] == '"') {
                cell += c;
                ++at;
            } else {
                quoted = false;
            }
            continue;
        }
        if (c == '"' && !cellStarted) {
            quoted = true;
            cellStarted = true;
        } else if (c == '\t') {
            row << cell;
            cell.clear();
            cellStarted = false;
        } else if (c == '\n' || (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n')) {
            if (c == '\r') ++at;
            endRow();
        } else {
            cell += c;
            cellStarted = true;
        }
    }
    if (cellStarted || !row.isEmpty() || !cell.isEmpty()) endRow();
    return rows;
}

}  // namespace browser
