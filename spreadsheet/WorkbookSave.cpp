// Workbook's saving: Save and SaveAs, through the .xls or the .xlsx writer.
#include "base/SameFile.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/CellReference.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Worksheet.h"
#include "spreadsheet/detail/StreamedRows.h"
#include "spreadsheet/detail/Text.h"
#include "xls/WorkbookView.h"
#include "xlsx/WorkbookView.h"

#include <filesystem>
#include <memory>

namespace spreadsheet {

namespace {

xls::SheetVisibility toXls(SheetVisibility visibility) {
    switch (visibility) {
        case SheetVisibility::Visible:
            return xls::SheetVisibility::Visible;
        case SheetVisibility::Hidden:
            return xls::SheetVisibility::Hidden;
        case SheetVisibility::VeryHidden:
            return xls::SheetVisibility::VeryHidden;
    }
    return xls::SheetVisibility::Visible;
}

}  // namespace

void Workbook::Save() {
    if (m_path.empty()) {
        throw SpreadsheetError::operationFailed("the workbook " + m_name +
                                                " has never been saved; save it with SaveAs "
                                                "under a file name first.");
    }
    if (!m_unsupported.empty()) {
        throw SpreadsheetError::operationFailed(
            "the workbook " + m_path + " holds " + detail::joinedWithAnd(m_unsupported) +
            ", which this program cannot keep; saving it over its file would lose them. Save "
            "it under a new name with SaveAs instead.");
    }
    write(m_path, m_fileFormat);
}

void Workbook::SaveAs(const std::string& fileName, const SaveAsOptions& options) {
    auto refuse = [&](const std::string& why) {
        return SpreadsheetError::operationFailed("cannot save the workbook " + m_name +
                                                 (fileName.empty() ? "" : " as " + fileName) +
                                                 ": " + why);
    };
    if (fileName.empty()) throw refuse("no file name was given.");
    if (options.fileFormat != kWorkbookNormal && options.fileFormat != 56 &&
        options.fileFormat != kOpenXmlWorkbook) {
        throw refuse("only the .xls and .xlsx workbook formats can be written (file format " +
                     std::to_string(options.fileFormat) + " was asked for).");
    }
    const int format = options.fileFormat == kOpenXmlWorkbook ? kOpenXmlWorkbook : kWorkbookNormal;
    if (!options.password.empty() || !options.writeResPassword.empty()) {
        throw refuse("workbooks cannot be protected by a password.");
    }
    if (options.readOnlyRecommended) throw refuse("workbooks cannot be marked read-only.");
    if (options.createBackup) throw refuse("backup copies are not made.");
    WorkbookCollection& books = m_application->Workbooks();
    for (int i = 1; i <= books.Count(); ++i) {
        Workbook& other = books.Item(i);
        if (&other != this && !other.path().empty() && base::sameFile(other.path(), fileName)) {
            throw refuse("the workbook " + other.Name() + " is open from that file.");
        }
    }
    if (!m_path.empty() && !m_unsupported.empty() && base::sameFile(m_path, fileName)) {
        Save();  // refuses with the reason
    }
    write(fileName, format);
    m_path = fileName;
    m_fileFormat = format;
    m_name = std::filesystem::path(fileName).filename().string();
    m_unsupported.clear();
}

void Workbook::write(const std::string& path, int fileFormat) {
    // The writer replaces a file by renaming a new one over it, which would ignore that the
    // file was marked read-only.
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!error && std::filesystem::is_regular_file(status) &&
        (status.permissions() & std::filesystem::perms::owner_write) ==
            std::filesystem::perms::none) {
        throw SpreadsheetError::operationFailed("cannot save the workbook " + m_name + " as " +
                                                path + ": the file is read-only.");
    }
    if (fileFormat == kOpenXmlWorkbook) {
        writeXlsx(path);
        return;
    }
    // The writer reads the cells where they are.
    xls::WorkbookView view;
    view.texts = &m_texts;
    view.activeSheet = static_cast<std::size_t>(m_sheets.indexOf(*m_activeSheet));
    for (int i = 1; i <= m_sheets.Count(); ++i) {
        Worksheet& sheet = m_sheets.Item(i);
        xls::SheetView& target = view.sheets.emplace_back();
        target.name = sheet.Name();
        target.visibility = toXls(sheet.visibility());
        target.selected = sheet.selected();
        target.cells = sheet.store().cells();
    }
    try {
        m_application->files().write(path, view);
    } catch (const SpreadsheetError&) {
        throw;
    } catch (const std::exception& failure) {
        throw SpreadsheetError::operationFailed(failure.what());
    }
}

void Workbook::writeXlsx(const std::string& path) {
    xlsx::WorkbookView view;
    view.texts = &m_texts;
    view.activeSheet = static_cast<std::size_t>(m_sheets.indexOf(*m_activeSheet));
    std::vector<std::unique_ptr<detail::StreamedRows>> producers;
    for (int i = 1; i <= m_sheets.Count(); ++i) {
        const Worksheet& sheet = m_sheets.Item(i);
        xlsx::SheetView& target = view.sheets.emplace_back();
        target.name = sheet.Name();
        target.visibility = toXls(sheet.visibility());
        target.selected = sheet.selected();
        target.cells = sheet.storedCells().cells();
        if (const std::optional<Worksheet::RowBlock>& block = sheet.rowBlock()) {
            const long rowEnd = block->row + block->rows;
            const long columnEnd = block->column + block->columns;
            if (rowEnd > long{xlsx::kMaxRows} || columnEnd > long{xlsx::kMaxColumns}) {
                throw SpreadsheetError::operationFailed(
                    "cannot save the workbook " + m_name + " as " + path + ": the rows put on " +
                    sheet.Name() + " from " + cellName(block->row, block->column) + " reach " +
                    (rowEnd > long{xlsx::kMaxRows}
                         ? "row " + std::to_string(rowEnd)
                         : "column " + columnLetters(static_cast<int>(columnEnd - 1))) +
                    ", past the 1,048,576 rows and 16,384 columns of a .xlsx worksheet.");
            }
            producers.push_back(std::make_unique<detail::StreamedRows>(*block, sheet.Name()));
            target.block = xlsx::RowBlock{
                static_cast<std::uint32_t>(block->row), static_cast<std::uint32_t>(block->column),
                static_cast<std::uint32_t>(block->rows), static_cast<std::uint32_t>(block->columns),
                producers.back().get()};
        }
    }
    try {
        m_application->files().writeXlsx(path, view);
    } catch (const detail::SourceFailed& failed) {
        std::rethrow_exception(failed.failure);
    } catch (const SpreadsheetError&) {
        throw;
    } catch (const std::exception& failure) {
        throw SpreadsheetError::operationFailed(failure.what());
    }
}

}  // namespace spreadsheet
