#include "export/ExportarExcel.h"

#include "base/AsciiCase.h"
#include "base/SameFile.h"
#include "base/ShownText.h"
#include "base/TemporaryFile.h"
#include "engine/CsvWriter.h"
#include "engine/DataControl.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "export/ExcelVb.h"
#include "export/RecordRows.h"
#include "platform/Prompts.h"
#include "spreadsheet/CellReference.h"
#include "spreadsheet/SpreadsheetError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace tableexport {

namespace {

enum class Format { Xls, Xlsx, Csv };

// Rows 1 and 2 hold the names and the empty row; the records fill the rest of a worksheet.
struct Limits {
    long records;
    int fields;
};
constexpr Limits kXlsLimits{spreadsheet::kRowCount - 2, spreadsheet::kColumnCount};
constexpr Limits kXlsxLimits{1048576 - 2, 16384};

constexpr const char* kTitle = "Sorvela";

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

Format formatOf(const std::string& target) {
    const std::string extension =
        base::asciiUpper(std::filesystem::path(target).extension().string());
    if (extension == ".XLSX") return Format::Xlsx;
    if (extension == ".CSV") return Format::Csv;
    return Format::Xls;
}

void checkLimits(long records, int fields, Format format) {
    if (format == Format::Csv) return;
    const Limits limits = format == Format::Xls ? kXlsLimits : kXlsxLimits;
    const char* kind = format == Format::Xls ? "an .xls" : "an .xlsx";
    if (records > limits.records) {
        throw refused(
            "Cannot export the table: it has " + std::to_string(records) + " records, and " + kind +
            " worksheet holds at most " + std::to_string(limits.records) +
            " below the names and the empty second row." +
            (format == Format::Xls ? " An .xlsx workbook holds up to 1,048,574 records." : ""));
    }
    if (fields > limits.fields) {
        throw refused("Cannot export the table: it has " + std::to_string(fields) +
                      " fields, and " + kind + " worksheet holds at most " +
                      std::to_string(limits.fields) + " columns.");
    }
}

// The CSV form beside the target, renamed over it once whole. Returns false when cancelled.
bool writeCsvFile(const engine::Recordset& recordset, const std::string& target,
                  const engine::Progress& progress) {
    auto cannot = [&](const std::string& why) {
        return refused("Cannot write " + target + ": " + why + ".");
    };
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(target, error);
    if (!error && std::filesystem::is_regular_file(status) &&
        (status.permissions() & std::filesystem::perms::owner_write) ==
            std::filesystem::perms::none) {
        throw cannot("the file is read-only");
    }
    try {
        base::TemporaryFile file(target, "new");
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(file.path().c_str(), "wb"),
                                                            std::fclose);
        if (!out) throw cannot(std::strerror(errno));
        const bool whole = engine::writeCsv(
            recordset,
            [&](std::string_view piece) {
                if (std::fwrite(piece.data(), 1, piece.size(), out.get()) != piece.size()) {
                    throw cannot(std::strerror(errno));
                }
            },
            progress);
        if (!whole) return false;
        if (std::fclose(out.release()) != 0) throw cannot(std::strerror(errno));
        file.replace(target);
        return true;
    } catch (const std::system_error& failure) {
        throw cannot(failure.what());
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

// A new workbook with the names in row 1 through SetCell and the records as rows from A3 on,
// produced while it is saved. Returns the rows (none for a set without records).
std::shared_ptr<RecordRows> fillWorkbook(ExcelVb& excel, engine::Recordset& recordset,
                                         const engine::Progress& progress) {
    excel.Crear();
    excel.NewBook();
    engine::FieldCollection& fields = recordset.Fields();
    for (int k = 0; k < fields.Count(); ++k) {
        excel.SetCell(
            spreadsheet::Variant::object(std::make_shared<FieldName>(fields.Item(k).Name())),
            spreadsheet::columnLetters(k) + "1");
    }
    if (recordset.RecordCount() == 0) return nullptr;
    auto rows = std::make_shared<RecordRows>(recordset, progress);
    excel.SetRows(rows, "A3");
    return rows;
}

// What the export says beside its success when numbers went in as text; empty when none did.
std::string numbersAsTextWarning(const std::vector<std::string>& fields) {
    if (fields.empty()) return {};
    std::string names;
    for (const std::string& name : fields) {
        if (!names.empty()) names += ", ";
        names += base::shownText(name);
    }
    return (fields.size() == 1 ? "Field " + names + " holds" : "Fields " + names + " hold") +
           " numbers of more than " + std::to_string(kSpreadsheetDigits) +
           " significant digits, more than a spreadsheet number keeps: they were exported as "
           "text, with all their digits.";
}

}  // namespace

void ExportarExcel(engine::DataControl& dtcDbf, const std::string& fileName,
                   platform::Prompts& prompts) {
    ExcelVb excel;
    engine::Recordset* recordset = dtcDbf.GetRecordset();
    if (recordset == nullptr) throw engine::EngineError("Cannot export: no table is open.");
    const std::string target = trimSpaces(fileName);
    checkTarget(*recordset, target);
    const Format format = formatOf(target);
    checkLimits(recordset->RecordCount(), recordset->Fields().Count(), format);

    std::unique_ptr<platform::ProgressReport> report = prompts.progress(
        "Exporting the table to " + std::filesystem::path(target).filename().string() + "...",
        kTitle);
    const engine::Progress progress = [&report](long done, long total) {
        return report->advance(done, total);
    };
    std::shared_ptr<RecordRows> rows;
    try {
        if (format == Format::Csv) {
            if (!writeCsvFile(*recordset, target, progress)) return;
        } else {
            rows = fillWorkbook(excel, *recordset, progress);
            excel.SaveAsBook(target);
        }
    } catch (const ExportCancelled&) {
        return;
    }
    report.reset();
    prompts.messageBox("Success export to excel", platform::MessageButtons::Ok,
                       platform::MessageIcon::None, kTitle);
    const std::string warning =
        numbersAsTextWarning(rows ? rows->fieldsWithNumbersAsText() : std::vector<std::string>());
    if (!warning.empty()) {
        prompts.messageBox(warning, platform::MessageButtons::Ok,
                           platform::MessageIcon::Exclamation, kTitle);
    }
    if (format != Format::Csv) excel.Quitar();
}

}  // namespace tableexport
