// Stand-ins for the spreadsheet component's outside world: workbook files kept in memory and a
// printer that records its jobs.
#pragma once

#include "spreadsheet/Application.h"
#include "spreadsheet/Printer.h"
#include "xls/WorkbookData.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace testsupport {

// Workbook files as data: what was written under each path, and what a read returns.
struct MemoryFiles {
    std::map<std::string, xls::WorkbookData> files;
    int writes = 0;

    spreadsheet::WorkbookFiles access() {
        return {[this](const std::string& path) {
                    auto it = files.find(path);
                    if (it == files.end()) throw xls::XlsError("Cannot open " + path + ".");
                    return it->second;
                },
                [this](const std::string& path, const xls::WorkbookData& data) {
                    ++writes;
                    files[path] = data;
                }};
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
