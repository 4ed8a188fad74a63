#include "cli/OpenTable.h"

#include "base/AsciiCase.h"
#include "base/ShownText.h"
#include "engine/DataControl.h"
#include "engine/Driver.h"

#include <filesystem>
#include <iostream>

namespace cli {

void openTable(engine::DataControl& dtcDbf, const std::string& path, const CliArguments& arguments,
               bool forWriting) {
    std::filesystem::path file(path);
    if (file.filename().empty()) throw UsageError("no table file named in \"" + path + "\"");
    const std::string extension = base::asciiLower(file.extension().string());
    std::string connect =
        arguments.option("connect", extension == ".xls" ? "Excel 8.0;" : "dBASE IV;");
    dtcDbf.SetConnect(connect);
    dtcDbf.SetEncoding(arguments.option("encoding"));
    dtcDbf.SetReadOnly(!forWriting);
    dtcDbf.SetRecordsetType(forWriting ? engine::DataControl::kDynaset
                                       : engine::DataControl::kSnapshot);
    if (engine::parseDriver(connect) == engine::Driver::Excel) {
        dtcDbf.SetDatabaseName(path);
        dtcDbf.SetRecordSource("Sheet1$");
    } else {
        dtcDbf.SetDatabaseName(file.parent_path().string());
        dtcDbf.SetRecordSource(file.filename().string());
    }
    dtcDbf.Refresh();
    if (dtcDbf.GetRecordset() == nullptr)
        throw UsageError("no table file named in \"" + path + "\"");
}

void printWarnings(const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings) {
        std::cerr << "warning: " << base::shownText(warning) << "\n";
    }
}

}  // namespace cli
