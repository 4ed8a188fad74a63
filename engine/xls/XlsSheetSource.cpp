#include "engine/xls/XlsSheetSource.h"

#include "engine/EngineError.h"
#include "engine/TableSource.h"
#include "engine/xls/WorksheetTable.h"
#include "xls/WorkbookData.h"

namespace engine {

namespace {

const char* const kReadOnly = "The worksheet is opened read-only.";

// A worksheet loaded into memory once; records are served by number and never change.
class XlsSheetSource : public TableSource {
public:
    XlsSheetSource(std::string workbookPath, const xls::Sheet& sheet,
                   const xls::WorkbookData& workbook)
        : m_workbookPath(std::move(workbookPath)),
          m_description(m_workbookPath + " (worksheet " + sheet.name + ")"),
          m_table(sheet, workbook.date1904) {
        if (workbook.damagedContainer) {
            m_warnings.push_back("The workbook \"" + m_workbookPath +
                                 "\" is damaged: its worksheet was read from what remained "
                                 "readable and may be incomplete.");
        }
        m_warnings.insert(m_warnings.end(), m_table.warnings().begin(), m_table.warnings().end());
    }

    const std::vector<FieldInfo>& fields() const override { return m_table.fields(); }
    std::uint32_t physicalCount() const override { return m_table.recordCount(); }
    std::vector<std::uint32_t> deletedRecords() const override { return {}; }

    void readRecord(std::uint32_t physical, std::vector<Value>& values) const override {
        checkRecord(physical);
        values.resize(m_table.fields().size());
        for (std::size_t field = 0; field < values.size(); ++field) {
            values[field] = m_table.value(physical, field);
        }
    }

    Value readField(std::uint32_t physical, int field) const override {
        checkRecord(physical);
        if (field < 0 || static_cast<std::size_t>(field) >= m_table.fields().size()) {
            throw EngineError("Field number " + std::to_string(field) + " does not exist in " +
                              m_description + ".");
        }
        return m_table.value(physical, static_cast<std::size_t>(field));
    }

    bool isWritable() const override { return false; }
    Value prepareValue(int, const Value&) const override { throw EngineError(kReadOnly); }
    void updateRecord(std::uint32_t, const Assignments&) override { throw EngineError(kReadOnly); }
    std::uint32_t appendRecord(const Assignments&) override { throw EngineError(kReadOnly); }
    void deleteRecord(std::uint32_t) override { throw EngineError(kReadOnly); }

    const std::vector<std::string>& warnings() const override { return m_warnings; }
    std::string description() const override { return m_description; }
    std::vector<std::string> files() const override { return {m_workbookPath}; }

private:
    void checkRecord(std::uint32_t physical) const {
        if (physical >= m_table.recordCount()) {
            throw EngineError("Record " + std::to_string(std::uint64_t(physical) + 1) +
                              " does not exist in " + m_description + ".");
        }
    }

    std::string m_workbookPath;
    std::string m_description;
    WorksheetTable m_table;
    std::vector<std::string> m_warnings;
};

const char* kindName(xls::SheetKind kind) {
    switch (kind) {
        case xls::SheetKind::Chart:
            return "a chart sheet";
        case xls::SheetKind::Macro:
            return "a macro sheet";
        case xls::SheetKind::Worksheet:
        case xls::SheetKind::Other:
            break;
    }
    return "a sheet of another kind";
}

const xls::Sheet* findSheet(const xls::WorkbookData& workbook, const std::string& name) {
    for (const xls::Sheet& sheet : workbook.sheets) {
        if (xls::sameSheetName(sheet.name, name)) return &sheet;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<TableSource> openWorksheet(const std::string& workbookPath,
                                           const std::string& sheetName) {
    xls::WorkbookData workbook;
    try {
        workbook = xls::readWorkbook(workbookPath);
    } catch (const xls::XlsError& error) {
        throw EngineError(error.what());
    }
    const xls::Sheet* sheet = findSheet(workbook, sheetName);
    // The table name of a worksheet carries a "$" ("Sheet1$"); the sheet's own name does not.
    if (sheet == nullptr && !sheetName.empty() && sheetName.back() == '$') {
        sheet = findSheet(workbook, sheetName.substr(0, sheetName.size() - 1));
    }
    if (sheet == nullptr) {
        std::string shown = sheetName;
        if (!shown.empty() && shown.back() == '$') shown.pop_back();
        throw EngineError("The workbook \"" + workbookPath + "\" has no worksheet named " + shown +
                          ".");
    }
    if (sheet->kind != xls::SheetKind::Worksheet) {
        throw EngineError("The sheet \"" + sheet->name + "\" of the workbook \"" + workbookPath +
                          "\" is " + kindName(sheet->kind) + ", not a worksheet.");
    }
    return std::make_unique<XlsSheetSource>(workbookPath, *sheet, workbook);
}

}  // namespace engine
