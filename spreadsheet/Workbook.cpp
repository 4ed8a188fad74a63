#include "spreadsheet/Workbook.h"

#include "base/AsciiCase.h"
#include "base/SameFile.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/CellReference.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Variant.h"
#include "spreadsheet/Worksheet.h"
#include "spreadsheet/detail/Printing.h"
#include "spreadsheet/detail/Text.h"
#include "xls/WorkbookData.h"
#include "xls/WorkbookView.h"

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

// Dates of a workbook in the 1904 date system, moved to the 1900 system the model keeps.
constexpr double k1904Offset = 1462;

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
        if (base::equalsIgnoringCase(sheet->Name(), name)) return sheet.get();
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
    if (name.size() > 5 && name.size() < 12 &&
        base::equalsIgnoringCase(name.substr(0, 5), "SHEET") &&
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
        m_unsupported.push_back("sheets that are not worksheets (" +
                                detail::joinedWithAnd(dropped) + ")");
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
