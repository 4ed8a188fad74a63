// Stand-ins for the spreadsheet component's outside world: workbook files kept in memory and a
// printer that records its jobs.
#pragma once

#include "spreadsheet/Application.h"
#include "spreadsheet/Printer.h"
#include "xls/WorkbookData.h"
#include "xls/WorkbookView.h"
#include "xlsx/WorkbookView.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace testsupport {

// Workbook files as data: what was written under each path, and what a read returns.
struct MemoryFiles {
    std::map<std::string, xls::WorkbookData> files;
    std::vector<std::string> xlsxFiles;  // the paths written as .xlsx, in order
    int writes = 0;

    spreadsheet::WorkbookFiles access() {
        return {[this](const std::string& path) {
                    auto it = files.find(path);
                    if (it == files.end()) throw xls::XlsError("Cannot open " + path + ".");
                    return it->second;
                },
                [this](const std::string& path, const xls::WorkbookView& workbook) {
                    ++writes;
                    files[path] = asData(workbook);
                },
                [this](const std::string& path, const xlsx::WorkbookView&) {
                    ++writes;
                    xlsxFiles.push_back(path);
                }};
    }

    // What the writer was given, as plain data.
    static xls::WorkbookData asData(const xls::WorkbookView& workbook) {
        xls::WorkbookData data;
        data.date1904 = workbook.date1904;
        data.activeSheet = workbook.activeSheet;
        for (const xls::SheetView& view : workbook.sheets) {
            xls::Sheet& sheet = data.sheets.emplace_back();
            sheet.name = view.name;
            sheet.visibility = view.visibility;
            sheet.selected = view.selected;
            for (const xls::PackedCell& packed : view.cells) {
                xls::Cell& cell = sheet.cells.emplace_back();
                cell.row = packed.row();
                cell.column = packed.column();
                cell.type = packed.type();
                cell.format = packed.format();
                cell.number = packed.type() == xls::CellType::Number ? packed.number() : 0;
                cell.boolean = packed.type() == xls::CellType::Boolean && packed.boolean();
                cell.errorCode = packed.type() == xls::CellType::Error ? packed.errorCode() : 0;
                if (packed.type() == xls::CellType::Text) {
                    cell.text = workbook.texts->text(packed.textId());
                }
            }
        }
        return data;
    }
};

class RecordingPrinter : public spreadsheet::Printer {
public:
    std::vector<spreadsheet::PrintJob> jobs;
    bool fail = false;

    void print(const spreadsheet::PrintJob& job) override {
        if (fail) throw std::runtime_error("the printer is out of paper");
        jobs.push_back(job);
    }
};

}  // namespace testsupport
