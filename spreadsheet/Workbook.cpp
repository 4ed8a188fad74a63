#include "spreadsheet/Workbook.h"

#include "spreadsheet/Application.h"
#include "spreadsheet/CellReference.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Variant.h"
#include "spreadsheet/Worksheet.h"
#include "spreadsheet/detail/Paths.h"
#include "spreadsheet/detail/Printing.h"
#include "spreadsheet/detail/StreamedRows.h"
#include "spreadsheet/detail/Text.h"
#include "xls/WorkbookData.h"
#include "xls/WorkbookView.h"
#include "xlsx/WorkbookView.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace spreadsheet {

namespace {

constexpr int kNewWorkbookSheets = 3;

SheetVisibility fromXls(xls::SheetVisibility visibility) {
    switch (visibility) {
        case xls::SheetVisibility::Visible:
            return SheetVisibility::Visible;
        case xls::SheetVisibility::Hidden:
            return SheetVisibility::Hidden;
        case xls::SheetVisibility::VeryHidden:
            return SheetVisibility::VeryHidden;
    }
    return SheetVisibility::Visible;
}

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

// Dates of a workbook in the 1904 date system, moved to the 1900 system the model keeps.
constexpr double k1904Offset = 1462;

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

}  // namespace

// --- SheetCollection ---

SheetCollection::SheetCollection(Workbook& workbook) : m_workbook(&workbook) {}

SheetCollection::~SheetCollection() = default;

Worksheet& SheetCollection::Item(const Variant& index) const {
    Variant value = index.resolved();
    switch (value.kind()) {
        case Variant::Kind::Text:
            return Item(std::string_view(value.asText()));
        case Variant::Kind::Number: {
            double position = value.asNumber();
            if (position != std::floor(position) || std::abs(position) > 1e9) {
                throw SpreadsheetError::subscriptOutOfRange("there is no sheet at position " +
                                                            std::to_string(position) + ".");
            }
            return Item(static_cast<int>(position));
        }
        default:
            throw SpreadsheetError::typeMismatch("a sheet is chosen by its name or its position.");
    }
}

Worksheet& SheetCollection::Item(int position) const {
    if (position < 1 || position > Count()) {
        throw SpreadsheetError::subscriptOutOfRange(
            "there is no sheet at position " + std::to_string(position) + " of " +
            m_workbook->Name() + ", which has " + std::to_string(Count()) + ".");
    }
    return *m_sheets[static_cast<std::size_t>(position - 1)];
}

Worksheet& SheetCollection::Item(std::string_view name) const {
    if (Worksheet* sheet = find(name)) return *sheet;
    throw SpreadsheetError::subscriptOutOfRange("the workbook " + m_workbook->Name() +
                                                " has no sheet named " + std::string(name) + ".");
}

Worksheet* SheetCollection::find(std::string_view name) const {
    for (const auto& sheet : m_sheets) {
        if (detail::equalFolded(sheet->Name(), name)) return sheet.get();
    }
    return nullptr;
}

int SheetCollection::indexOf(const Worksheet& sheet) const {
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        if (m_sheets[i].get() == &sheet) return static_cast<int>(i);
    }
    return -1;
}

Worksheet& SheetCollection::insert(int index, const std::string& name) {
    // New sheets are numbered after every "SheetN" the workbook has had, renamed or not.
    if (name.size() > 5 && name.size() < 12 && detail::equalFolded(name.substr(0, 5), "SHEET") &&
        name.find_first_not_of("0123456789", 5) == std::string::npos) {
        m_lastNumber = std::max(m_lastNumber, std::stoi(name.substr(5)));
    }
    auto sheet = std::make_unique<Worksheet>(*m_workbook, name);
    Worksheet& added = *sheet;
    m_sheets.insert(m_sheets.begin() + index, std::move(sheet));
    return added;
}

Worksheet& SheetCollection::Add() {
    std::string name;
    do {
        name = "Sheet" + std::to_string(++m_lastNumber);
    } while (find(name) != nullptr);
    int index = m_sheets.empty() ? 0 : indexOf(m_workbook->ActiveSheet());
    Worksheet& sheet = insert(index, name);
    sheet.Select(true);
    return sheet;
}

void SheetCollection::remove(const std::vector<Worksheet*>& sheets) {
    auto doomed = [&](const Worksheet* sheet) {
        return std::find(sheets.begin(), sheets.end(), sheet) != sheets.end();
    };
    bool visibleLeft = std::any_of(m_sheets.begin(), m_sheets.end(), [&](const auto& sheet) {
        return !doomed(sheet.get()) && sheet->visibility() == SheetVisibility::Visible;
    });
    if (!visibleLeft) {
        throw SpreadsheetError::operationFailed(
            "a workbook must keep at least one visible sheet; " + m_workbook->Name() +
            " would have none.");
    }
    std::size_t afterDoomed = 0;
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        if (doomed(m_sheets[i].get())) afterDoomed = i + 1;
    }
    bool activeDoomed = doomed(&m_workbook->ActiveSheet());
    Worksheet* next = nullptr;
    if (activeDoomed) {
        // The first visible sheet after the deleted ones, else the last visible one before.
        for (std::size_t i = afterDoomed; i < m_sheets.size(); ++i) {
            if (!doomed(m_sheets[i].get()) &&
                m_sheets[i]->visibility() == SheetVisibility::Visible) {
                next = m_sheets[i].get();
                break;
            }
        }
        for (std::size_t i = 0; next == nullptr && i < m_sheets.size(); ++i) {
            std::size_t k = m_sheets.size() - 1 - i;
            if (!doomed(m_sheets[k].get()) &&
                m_sheets[k]->visibility() == SheetVisibility::Visible) {
                next = m_sheets[k].get();
            }
        }
    }
    std::erase_if(m_sheets, [&](const auto& sheet) { return doomed(sheet.get()); });
    if (next != nullptr) next->Select(true);
}

// --- SheetGroup and Window ---

Worksheet& SheetGroup::Item(int position) const {
    if (position < 1 || position > Count()) {
        throw SpreadsheetError::subscriptOutOfRange("there is no selected sheet at position " +
                                                    std::to_string(position) + ".");
    }
    return *m_sheets[static_cast<std::size_t>(position - 1)];
}

void SheetGroup::Delete() { m_workbook->Sheets().remove(m_sheets); }

void SheetGroup::PrintOut(int copies, std::optional<bool> collate) {
    std::vector<PrintJob> jobs;
    for (Worksheet* sheet : m_sheets) {
        if (auto job = detail::makePrintJob(*sheet, sheet->Cells().area(), copies, collate)) {
            jobs.push_back(std::move(*job));
        }
    }
    detail::printJobs(m_workbook->ActiveSheet(), jobs);
}

SheetGroup Window::SelectedSheets() const {
    std::vector<Worksheet*> selected;
    SheetCollection& sheets = m_workbook->Sheets();
    for (int i = 1; i <= sheets.Count(); ++i) {
        if (sheets.Item(i).selected()) selected.push_back(&sheets.Item(i));
    }
    return {*m_workbook, std::move(selected)};
}

// --- Workbook ---

Workbook::Workbook(Application& application, std::string name)
    : m_application(&application), m_name(std::move(name)), m_sheets(*this), m_window(*this) {
    for (int i = 0; i < kNewWorkbookSheets; ++i) {
        m_sheets.insert(i, "Sheet" + std::to_string(i + 1));
    }
    m_sheets.Item(1).Select(true);
}

// The sheet's cells in the model's packed form, their texts added to the workbook's table.
std::vector<xls::PackedCell> Workbook::packCells(const xls::Sheet& sheet, bool date1904) {
    std::vector<xls::PackedCell> packed;
    packed.reserve(sheet.cells.size());
    for (const xls::Cell& cell : sheet.cells) {
        if (cell.row >= static_cast<std::uint32_t>(kRowCount) || cell.column >= kColumnCount) {
            throw SpreadsheetError::operationFailed("the workbook " + m_path +
                                                    " is damaged: a cell of " + sheet.name +
                                                    " lies outside the worksheet.");
        }
        switch (cell.type) {
            case xls::CellType::Number: {
                double number = cell.number;
                if (date1904 && cell.format != xls::NumberFormat::General &&
                    cell.format != xls::NumberFormat::Other) {
                    number += k1904Offset;
                }
                packed.push_back(
                    xls::PackedCell::number(cell.row, cell.column, number, cell.format));
                break;
            }
            case xls::CellType::Text: {
                // Texts longer than a cell holds are kept as read; saving refuses them.
                xls::StringTable::Added added =
                    m_texts.add(cell.text, xls::StringTable::kMaxStoredUnits);
                if (added.refusal != xls::StringTable::Refusal::None) {
                    throw SpreadsheetError::operationFailed(
                        "the workbook " + m_path + " is damaged: cell " +
                        cellName(static_cast<int>(cell.row), cell.column) + " of " + sheet.name +
                        " holds text that cannot be read.");
                }
                packed.push_back(xls::PackedCell::text(cell.row, cell.column, added.id));
                break;
            }
            case xls::CellType::Boolean:
                packed.push_back(xls::PackedCell::boolean(cell.row, cell.column, cell.boolean));
                break;
            case xls::CellType::Error:
                packed.push_back(xls::PackedCell::error(cell.row, cell.column, cell.errorCode));
                break;
        }
    }
    return packed;
}

Workbook::Workbook(Application& application, const std::string& path, xls::WorkbookData&& data)
    : m_application(&application),
      m_name(std::filesystem::path(path).filename().string()),
      m_path(path),
      m_sheets(*this),
      m_window(*this),
      m_unsupported(std::move(data.unsupportedContent)) {
    Worksheet* active = nullptr;
    std::vector<std::string> dropped;
    for (std::size_t i = 0; i < data.sheets.size(); ++i) {
        xls::Sheet& source = data.sheets[i];
        if (source.kind != xls::SheetKind::Worksheet) {
            dropped.push_back(source.name);
            continue;
        }
        Worksheet& sheet = m_sheets.insert(m_sheets.Count(), source.name);
        sheet.setVisibility(fromXls(source.visibility));
        sheet.setSelected(source.selected);
        sheet.store().assign(packCells(source, data.date1904));
        if (i == data.activeSheet) active = &sheet;
    }
    if (!dropped.empty()) {
        m_unsupported.push_back("sheets that are not worksheets (" + joined(dropped) + ")");
    }
    if (m_sheets.Count() == 0) {
        throw SpreadsheetError::operationFailed("the workbook " + path +
                                                " holds no worksheet to open.");
    }
    if (active == nullptr || active->visibility() != SheetVisibility::Visible) {
        active = nullptr;
        for (int i = 1; i <= m_sheets.Count() && active == nullptr; ++i) {
            if (m_sheets.Item(i).visibility() == SheetVisibility::Visible) {
                active = &m_sheets.Item(i);
            }
        }
        if (active == nullptr) active = &m_sheets.Item(1);
    }
    m_activeSheet = active;
    active->setSelected(true);
}

Workbook::~Workbook() = default;

void Workbook::Activate() { m_application->setActiveWorkbook(this); }

void Workbook::Save() {
    if (m_path.empty()) {
        throw SpreadsheetError::operationFailed("the workbook " + m_name +
                                                " has never been saved; save it with SaveAs "
                                                "under a file name first.");
    }
    if (!m_unsupported.empty()) {
        throw SpreadsheetError::operationFailed(
            "the workbook " + m_path + " holds " + joined(m_unsupported) +
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
        if (&other != this && !other.path().empty() && detail::sameFile(other.path(), fileName)) {
            throw refuse("the workbook " + other.Name() + " is open from that file.");
        }
    }
    if (!m_path.empty() && !m_unsupported.empty() && detail::sameFile(m_path, fileName)) {
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

void Workbook::PrintOut(int copies, std::optional<bool> collate) {
    std::vector<PrintJob> jobs;
    for (int i = 1; i <= m_sheets.Count(); ++i) {
        Worksheet& sheet = m_sheets.Item(i);
        if (sheet.visibility() != SheetVisibility::Visible) continue;
        if (auto job = detail::makePrintJob(sheet, sheet.Cells().area(), copies, collate)) {
            jobs.push_back(std::move(*job));
        }
    }
    detail::printJobs(*m_activeSheet, jobs);
}

void Workbook::Close() { m_application->Workbooks().close(*this); }

}  // namespace spreadsheet
