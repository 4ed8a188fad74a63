#include "tests/browser/TableMaker.h"

#include "engine/DataControl.h"
#include "engine/Recordset.h"
#include "engine/TableDefinition.h"

namespace browsertest {

namespace {

void openIn(engine::DataControl& control, const std::filesystem::path& file) {
    control.SetConnect("dBASE III;");
    control.SetDatabaseName(file.parent_path().string());
    control.SetRecordSource(file.filename().string());
    control.SetRecordsetType(engine::DataControl::kDynaset);
    control.Refresh();
}

}  // namespace

std::filesystem::path makeTable(const std::filesystem::path& folder, const std::string& name,
                                const std::vector<FieldSpec>& fields,
                                const std::vector<std::vector<std::string>>& rows,
                                const std::string& connect) {
    auto database = engine::OpenDatabase(folder.string(), 512, false, connect);
    auto table = database->CreateTableDef(name);
    for (const FieldSpec& field : fields) {
        table->Fields().Append(table->CreateField(field.name, field.type, field.size));
    }
    database->TableDefs().Append(table);

    const std::filesystem::path file = folder / (name + ".dbf");
    engine::DataControl control;
    openIn(control, file);
    engine::Recordset& set = *control.GetRecordset();
    for (const auto& row : rows) {
        set.AddNew();
        for (std::size_t column = 0; column < row.size(); ++column) {
            if (!row[column].empty()) {
                set.Fields()
                    .Item(static_cast<int>(column))
                    .SetValue(engine::Value::text(row[column]));
            }
        }
        set.Update();
    }
    return file;
}

std::vector<std::vector<std::string>> readTable(const std::filesystem::path& file) {
    engine::DataControl control;
    openIn(control, file);
    const engine::Recordset& set = *control.GetRecordset();
    std::vector<std::vector<std::string>> rows;
    for (long position = 0; position < set.RecordCount(); ++position) {
        std::vector<std::string> row;
        for (const engine::Value& value : set.readRow(position)) row.push_back(value.toString());
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace browsertest
