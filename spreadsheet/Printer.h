// Where the spreadsheet component sends what it prints. The application prints through Qt's print
// support; tests record the jobs.
#pragma once

#include <string>
#include <vector>

namespace spreadsheet {

// A block of cells to print, as their displayed texts, row by row.
struct PrintJob {
    std::string title;                           // the workbook and sheet, for the print queue
    std::vector<std::vector<std::string>> rows;  // displayed cell texts
    int copies = 1;
    bool collate = false;
};

class Printer {
public:
    virtual ~Printer() = default;
    // Prints the job on the system's default printer. Throws std::runtime_error with a clear
    // description when there is no printer or printing fails.
    virtual void print(const PrintJob& job) = 0;
};

}  // namespace spreadsheet
