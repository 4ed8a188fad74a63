#include "export/ExportarExcel.h"

#include "base/AsciiCase.h"
#include "base/SameFile.h"
#include "engine/DataControl.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "export/ExcelVb.h"
#include "export/FieldVariant.h"
#include "platform/Prompts.h"
#include "spreadsheet/CellReference.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Worksheet.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

namespace tableexport {

namespace {

// Rows 1 and 2 hold the names and the empty row; the records fill the rest of a worksheet.
constexpr long kMaxRecords = spreadsheet::kRowCount - 2;
constexpr int kMaxFields = spreadsheet::kColumnCount;

std::string trimSpaces(const std::string& text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

using base::sameFile;

spreadsheet::SpreadsheetError refused(const std::string& description) {
    return spreadsheet::SpreadsheetError(spreadsheet::kErrorOperationFailed, description);
}

// Refuses a target that would overwrite the open table: its .dbf file, its memo file, or the
// workbook it was read from. The files come from the open set itself, not from the data
// control's settings, which may name another table by now. File names are compared without
// regard to case within the table's folder, since the engine finds tables so.
void checkTarget(const engine::Recordset& recordset, const std::string& target) {
    if (target.empty()) throw refused("Cannot export: no file name was given.");
    const std::vector<std::string> files = recordset.sourceFiles();
    std::filesystem::path out(target);
    auto matches = [&](const std::filesystem::path& file) {
        return sameFile(out, file) ||
               (base::equalsIgnoringCase(out.filename().string(), file.filename().string()) &&
                sameFile(out.parent_path().empty() ? "." : out.parent_path(),
                         file.parent_path().empty() ? "." : file.parent_path()));
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!matches(files[i])) continue;
        throw refused("Cannot export to " + target + ": it is the " +
                      (i == 0 ? "file" : "memo file") + " of the open table.");
    }
}

void checkLimits(long records, int fields) {
    if (records > kMaxRecords) {
        throw refused("Cannot export the table: it has " + std::to_string(records) +
                      " records, and a worksheet holds at most " + std::to_string(kMaxRecords) +
                      " below the names and the empty second row.");
    }
    if (fields > kMaxFields) {
        throw refused("Cannot export the table: it has " + std::to_string(fields) +
                      " fields, and a worksheet holds at most " + std::to_string(kMaxFields) +
                      " columns.");
    }
}

// A field's name as typed text: a name is stored as it is, never read as a number or a boolean.
class FieldName : public spreadsheet::VariantObject {
public:
    explicit FieldName(std::string name) : m_name(std::move(name)) {}
    spreadsheet::Variant defaultValue() const override {
        return spreadsheet::Variant::text(m_name);
    }

private:
    std::string m_name;
};

}  // namespace

void ExportarExcel(engine::DataControl& dtcDbf, const std::string& fileName,
                   platform::Prompts& prompts) {
    ExcelVb excel;
    engine::Recordset* recordset = dtcDbf.GetRecordset();
    if (recordset == nullptr) throw engine::EngineError("Cannot export: no table is open.");
    const std::string target = trimSpaces(fileName);
    checkTarget(*recordset, target);
    engine::FieldCollection& fields = recordset->Fields();
    checkLimits(recordset->RecordCount(), fields.Count());

    // An empty set has no first record to move to; its export is the names alone.
    if (recordset->RecordCount() > 0) recordset->MoveFirst();
    excel.Crear();
    excel.NewBook();
    // Room for every cell and text at once: a large table is then written without moving any
    // cell or rebuilding the index of its texts.
    std::size_t textFields = 0;
    for (const engine::FieldInfo& info : recordset->fieldInfos()) {
        if (info.type == engine::FieldType::Character || info.type == engine::FieldType::Memo) {
            ++textFields;
        }
    }
    const auto records = static_cast<std::size_t>(recordset->RecordCount());
    excel.application()->ActiveSheet().reserveCells(
        (records + 1) * static_cast<std::size_t>(fields.Count()),
        records * textFields + static_cast<std::size_t>(fields.Count()));

    const int n = fields.Count();
    std::vector<std::size_t> letterCounts;
    std::vector<spreadsheet::Variant> values;
    // One reference per column ("AB" and a row number); for each record only its digits are
    // written anew, in place, so building the references costs next to nothing.
    std::vector<std::string> references;
    for (int k = 0; k < n; ++k) {
        std::string letters = spreadsheet::columnLetters(k);
        letterCounts.push_back(letters.size());
        values.push_back(fieldVariant(fields.Item(k)));
        excel.SetCell(
            spreadsheet::Variant::object(std::make_shared<FieldName>(fields.Item(k).Name())),
            letters + "1");
        references.push_back(std::move(letters));
    }

    long row = 3;
    std::string rowDigits;
    while (!recordset->IsEOF()) {
        // An open set keeps its fields; the count is read again as each record is written.
        const int count = std::min(fields.Count(), n);
        rowDigits = std::to_string(row);
        for (int k = 0; k < count; ++k) {
            auto index = static_cast<std::size_t>(k);
            std::string& reference = references[index];
            if (reference.size() != letterCounts[index] + rowDigits.size()) {
                reference.resize(letterCounts[index] + rowDigits.size());
            }
            rowDigits.copy(reference.data() + letterCounts[index], rowDigits.size());
            excel.SetCell(values[index], reference);
        }
        recordset->MoveNext();
        ++row;
    }

    excel.SaveAsBook(target);
    prompts.messageBox("Success export to excel", platform::MessageButtons::Ok,
                       platform::MessageIcon::None, "Sorvela");
    excel.Quitar();
}

}  // namespace tableexport
