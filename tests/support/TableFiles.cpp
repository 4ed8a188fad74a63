#include "tests/support/TableFiles.h"

#include "engine/Recordset.h"
#include "tests/support/DbfBuilder.h"

#include <algorithm>

namespace testsupport {

std::filesystem::path makeTable(const std::filesystem::path& folder, const std::string& name,
                                const std::vector<FieldSpec>& fields,
                                const std::vector<std::vector<std::string>>& rows) {
    const bool memo = std::any_of(fields.begin(), fields.end(),
                                  [](const FieldSpec& field) { return field.type == 'M'; });
    DbfBuilder builder(memo ? 0x83 : 0x03);
    for (const FieldSpec& field : fields) {
        builder.field(field.name, field.type, field.length, field.decimals);
    }
    for (const auto& row : rows) builder.record(row);
    return builder.write(folder, name);
}

std::unique_ptr<engine::DataControl> openTable(const std::filesystem::path& file,
                                               const std::string& connect) {
    auto control = std::make_unique<engine::DataControl>();
    control->SetConnect(connect);
    control->SetDatabaseName(file.parent_path().string());
    control->SetRecordSource(file.filename().string());
    control->SetRecordsetType(engine::DataControl::kDynaset);
    control->Refresh();
    return control;
}

std::vector<std::vector<std::string>> readTable(const std::filesystem::path& file) {
    const std::unique_ptr<engine::DataControl> control = openTable(file);
    const engine::Recordset& set = *control->GetRecordset();
    std::vector<std::vector<std::string>> rows;
    for (long position = 0; position < set.RecordCount(); ++position) {
        std::vector<std::string> row;
        for (const engine::Value& value : set.readRow(position)) row.push_back(value.toString());
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace testsupport
