// A second program on a table, for the tests that run two processes on one table: it appends
// records, or opens the table again and again, through the engine as the application does.
//
//   quillon-table-worker append TABLE FIELD TAG COUNT
//       appends COUNT records whose FIELD is TAG followed by the record's number (TAG1, TAG2...);
//       prints how many it appended
//   quillon-table-worker open TABLE COUNT
//       opens the table COUNT times for writing and reads its last record each time; prints
//       "OPENS MISREAD", MISREAD counting the opens that were read-only, warned, read fewer
//       records than an earlier open, or could not read the last record
#include "engine/Recordset.h"
#include "engine/dbf/DbfTable.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <string>

namespace {

std::unique_ptr<engine::Recordset> openSet(const std::string& path) {
    return std::make_unique<engine::Recordset>(engine::dbf::DbfTable::open(path, {}),
                                               engine::Recordset::Kind::Dynaset, false);
}

int append(const std::string& path, const std::string& field, const std::string& tag, long count) {
    auto set = openSet(path);
    for (long i = 1; i <= count; ++i) {
        set->AddNew();
        set->Fields().Item(field).SetValue(engine::Value::text(tag + std::to_string(i)));
        set->Update();
    }
    std::cout << count << "\n";
    return 0;
}

int open(const std::string& path, long count) {
    long misread = 0, seen = 0;
    for (long i = 0; i < count; ++i) {
        try {
            auto set = openSet(path);
            const long records = set->RecordCount();
            bool wrong = !set->Updatable() || !set->warnings().empty() || records < seen;
            if (records > 0) set->readRow(records - 1);
            seen = std::max(seen, records);
            if (wrong) {
                ++misread;
                for (const std::string& warning : set->warnings()) std::cerr << warning << "\n";
            }
        } catch (const std::exception& error) {
            ++misread;
            std::cerr << error.what() << "\n";
        }
    }
    std::cout << count << " " << misread << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        if (arguments.size() == 5 && arguments[0] == "append") {
            return append(arguments[1], arguments[2], arguments[3], std::stol(arguments[4]));
        }
        if (arguments.size() == 3 && arguments[0] == "open") {
            return open(arguments[1], std::stol(arguments[2]));
        }
        std::cerr << "usage: quillon-table-worker append TABLE FIELD TAG COUNT | open TABLE "
                     "COUNT\n";
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
    }
    return 1;
}
