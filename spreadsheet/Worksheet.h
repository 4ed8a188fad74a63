// One worksheet: sparse cells, its selection and active cell, its pivot tables.
#pragma once

#include "spreadsheet/CellReference.h"
#include "spreadsheet/CellValue.h"
#include "spreadsheet/Range.h"
#include "spreadsheet/detail/CellStore.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace spreadsheet {

class Application;
class PivotTable;
class RowSource;
class Variant;
class Workbook;
struct TypedCell;

enum class SheetVisibility { Visible, Hidden, VeryHidden };

class Worksheet {
public:
    // Made by the workbook's sheet collection; name must already be valid there.
    Worksheet(Workbook& parent, std::string name);
    ~Worksheet();
    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    Workbook& parent() const { return *m_parent; }
    Application& application() const;

    const std::string& Name() const { return m_name; }
    // Renames the sheet. Throws SpreadsheetError (1004), keeping the old name, for a name that
    // is empty, longer than 31 characters, holds one of : \ / ? * [ ], starts or ends with an
    // apostrophe, or is another sheet's name in the workbook (case ignored).
    void SetName(const std::string& name);

    // Every cell of the sheet, and a block of it by A1 reference.
    spreadsheet::Range Cells() { return {*this, {0, 0, kRowCount - 1, kColumnCount - 1}}; }
    spreadsheet::Range Range(std::string_view reference);

    // Makes the sheet the active sheet. With replace, it is then the only selected sheet of the
    // workbook's window; without, it joins the selected sheets. Throws SpreadsheetError (1004)
    // for a hidden sheet.
    void Select(bool replace = true);
    void Activate();
    // Deletes the sheet (as SheetGroup::Delete does for one sheet).
    void Delete();

    // Builds a pivot table on a new worksheet, which is inserted before this one and becomes the
    // active sheet. sourceType must be 1 (a list of cells); sourceData is an A1 reference on this
    // sheet whose first row names the fields (every heading non-empty) and whose other rows are
    // the records; tableDestination must be empty (a new sheet). The table's data are taken at
    // this moment. Throws SpreadsheetError (1004) for anything else, before the new sheet is
    // made. See PivotTable for the layout.
    PivotTable& PivotTableWizard(int sourceType, const std::string& sourceData,
                                 const std::string& tableDestination, const std::string& tableName);
    // The pivot table of that name on this sheet (case ignored). Throws SpreadsheetError (1004)
    // when there is none.
    PivotTable& PivotTables(const std::string& name);

    // Prints the sheet's used cells (nothing for an empty sheet); as Range::PrintOut.
    void PrintOut(int copies = 1, std::optional<bool> collate = {});

    SheetVisibility visibility() const { return m_visibility; }
    void setVisibility(SheetVisibility visibility) { m_visibility = visibility; }
    // Selected in the workbook's window (the active sheet always is).
    bool selected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }

    // The cells. setValue checks the value against the workbook format before storing it:
    // text must be valid UTF-8 of at most 32,767 UTF-16 units, else SpreadsheetError (1004)
    // naming the cell, and the cell keeps its value. An empty value clears the cell.
    CellValue value(int row, int column) const;
    void setValue(int row, int column, CellValue value);
    // Assigns dat to the cell as typed input (spreadsheet/TypedInput.h), checked as setValue
    // checks; its text is stored without an intermediate copy.
    void assign(int row, int column, const Variant& dat);
    // The value of one of this sheet's stored cells.
    CellValue valueOf(const xls::PackedCell& cell) const;
    std::optional<CellArea> usedArea() const { return store().usedArea(); }
    // The cells, a pending block's rows among them (fillRows() runs first).
    detail::CellStore& store() {
        fillRows();
        return m_cells;
    }
    const detail::CellStore& store() const {
        fillRows();
        return m_cells;
    }

    // A block of rows taken from a source: rows x columns cells from (row, column) on, 0-based.
    // It may reach past the 65,536 rows and 256 columns that cells can be addressed in, up to
    // what the .xlsx format holds.
    struct RowBlock {
        int row = 0;
        int column = 0;
        long rows = 0;
        int columns = 0;
        std::shared_ptr<RowSource> source;
    };
    // Takes the source's rows (its counts read now) as the cells from (row, column) on, which
    // must be a cell of the sheet; the cells there are cleared. The rows are not stored: saving
    // as .xlsx produces them while the file is written, so a sheet of a million rows never lives
    // in memory. Any other use of the cells first puts the rows into the cells, once, as values
    // that are data (RowSource.h): reading a cell, changing one inside the block, sorting,
    // printing, saving as .xls. That fails with SpreadsheetError (1004) for a block reaching past
    // row 65,536 or column IV, and passes on what the source or the text checks throw; the block
    // then stays pending and no cell of it is stored. A sheet holds one pending block: a second
    // one first puts the rows of the first into the cells. A source without rows or columns sets
    // nothing.
    void setRows(int row, int column, std::shared_ptr<RowSource> source);
    // The pending block, or nullopt.
    const std::optional<RowBlock>& rowBlock() const { return m_block; }
    // The stored cells without a pending block's rows, for a writer that produces them itself.
    const detail::CellStore& storedCells() const { return m_cells; }
    // Puts a pending block's rows into the cells (as described at setRows).
    void fillRows() const {
        if (m_block) fillBlock();
    }

    const CellArea& selection() const { return m_selection; }
    int activeRow() const { return m_activeRow; }
    int activeColumn() const { return m_activeColumn; }
    // The active cell must lie in the selection.
    void setSelection(const CellArea& selection, int activeRow, int activeColumn) {
        m_selection = selection;
        m_activeRow = activeRow;
        m_activeColumn = activeColumn;
    }

    // Pivot tables are owned by the sheet they are drawn on.
    PivotTable& addPivotTable(std::unique_ptr<PivotTable> table);

private:
    void storeTyped(int row, int column, const TypedCell& cell);
    void putTyped(int row, int column, const TypedCell& cell) const;
    std::uint32_t addText(int row, int column, std::string_view text) const;
    void fillBlock() const;

    Workbook* m_parent;
    std::string m_name;
    SheetVisibility m_visibility = SheetVisibility::Visible;
    bool m_selected = false;
    // Both change when a const reader first needs a pending block's rows.
    mutable detail::CellStore m_cells;
    mutable std::optional<RowBlock> m_block;
    CellArea m_selection;
    int m_activeRow = 0;
    int m_activeColumn = 0;
    std::vector<std::unique_ptr<PivotTable>> m_pivotTables;
};

// Throws SpreadsheetError (1004) naming the problem when name cannot be a sheet name (rules at
// Worksheet::SetName, except uniqueness).
void checkSheetName(const std::string& name);

}  // namespace spreadsheet
