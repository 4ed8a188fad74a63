#include "browser/QtSheetPrinter.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

#include <algorithm>
#include <stdexcept>

namespace browser {

namespace {

QString tableHtml(const spreadsheet::PrintJob& job) {
    QString html = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">";
    for (const std::vector<std::string>& row : job.rows) {
        html += "<tr>";
        for (const std::string& cell : row) {
            html += "<td>" + QString::fromStdString(cell).toHtmlEscaped() + "</td>";
        }
        html += "</tr>";
    }
    return html + "</table>";
}

}  // namespace

void QtSheetPrinter::print(const spreadsheet::PrintJob& job) {
    const QPrinterInfo destination = QPrinterInfo::defaultPrinter();
    if (destination.isNull()) throw std::runtime_error("No printer is installed.");

    QPrinter printer(destination, QPrinter::HighResolution);
    printer.setDocName(QString::fromStdString(job.title));
    printer.setCopyCount(std::max(job.copies, 1));
    printer.setCollateCopies(job.collate);

    QTextDocument document;
    document.setHtml(tableHtml(job));
    document.print(&printer);
    if (printer.printerState() == QPrinter::Error) {
        throw std::runtime_error("Printing \"" + job.title + "\" on " +
                                 destination.printerName().toStdString() + " failed.");
    }
}

}  // namespace browser
