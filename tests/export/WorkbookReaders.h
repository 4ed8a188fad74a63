// Reading exported workbooks back with independent readers: FreeXL (C) and python3-xlrd for
// .xls, python3-openpyxl for .xlsx.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// One non-empty cell as a reader saw it: a kind and the value as text.
//   kind: "text", "number", "date" (value "YYYY-MM-DD", or with " HH:MM:SS"), "boolean"
//   ("1"/"0"; FreeXL reports booleans as the integers 1 and 0, kind "number"); openpyxl also
//   "time" ("HH:MM:SS") and "formula" (value: the formula's text).
struct ReadCell {
    std::string kind;
    std::string value;
    friend bool operator==(const ReadCell&, const ReadCell&) = default;
};

struct ReadSheet {
    std::vector<std::string> sheetNames;
    unsigned rows = 0;  // as the reader reports the used size
    unsigned columns = 0;
    std::map<std::pair<unsigned, unsigned>, ReadCell> cells;  // (row, column), 0-based

    const ReadCell* at(unsigned row, unsigned column) const {
        auto it = cells.find({row, column});
        return it == cells.end() ? nullptr : &it->second;
    }
};

// The worksheet named sheetName. Fails the calling test (and returns what it has) when the
// reader cannot read the file.
ReadSheet readWithFreexl(const std::string& path, const std::string& sheetName = "Sheet1");
ReadSheet readWithXlrd(const std::string& path, const std::string& sheetName = "Sheet1");
ReadSheet readWithOpenpyxl(const std::string& path, const std::string& sheetName = "Sheet1");

}  // namespace testsupport
