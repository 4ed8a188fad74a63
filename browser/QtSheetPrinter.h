// Printing for the spreadsheet component, through Qt's print support.
#pragma once

#include "spreadsheet/Printer.h"

namespace browser {

// Prints a job as a plain table on the system's default printer. Throws std::runtime_error
// "No printer is installed." when the system has no printer, and a description naming the job
// when the printer reports an error.
class QtSheetPrinter : public spreadsheet::Printer {
public:
    void print(const spreadsheet::PrintJob& job) override;
};

}  // namespace browser
