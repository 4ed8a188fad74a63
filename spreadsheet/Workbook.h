// A workbook: its worksheets, its window with the selected sheets, saving and printing.
#pragma once

#include "xls/StringTable.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xls {
class PackedCell;
struct Sheet;
struct WorkbookData;
}  // namespace xls

namespace spreadsheet {

class Application;
class Variant;
class Workbook;
class Worksheet;

// The workbook's sheets in tab order.
class SheetCollection {
public:
    explicit SheetCollection(Workbook& workbook);
    ~SheetCollection();

    int Count() const { return static_cast<int>(m_sheets.size()); }
    // A sheet by name (case ignored) or by 1-based position; an object index stands for its
    // default value. Throws SpreadsheetError (9) when there is no such sheet, (13) for an index
    // that is neither text nor a whole number.
    Worksheet& Item(const Variant& index) const;
    Worksheet& Item(int position) const;
    Worksheet& Item(std::string_view name) const;
    // Adds a new empty worksheet before the active sheet, named "Sheet" and the next unused
    // number, and makes it the active and only selected sheet.
    Worksheet& Add();

    // The position (0-based) of a sheet of this workbook.
    int indexOf(const Worksheet& sheet) const;
    Worksheet* find(std::string_view name) const;
    Worksheet& insert(int index, const std::string& name);
    // Deletes sheets of this workbook. Throws SpreadsheetError (1004), deleting nothing, when no
    // visible sheet would remain.
    void remove(const std::vector<Worksheet*>& sheets);

private:
    Workbook* m_workbook;
    std::vector<std::unique_ptr<Worksheet>> m_sheets;
    int m_lastNumber = 0;
};

// The sheets selected together in a workbook's window.
class SheetGroup {
public:
    SheetGroup(Workbook& workbook, std::vector<Worksheet*> sheets)
        : m_workbook(&workbook), m_sheets(std::move(sheets)) {}

    int Count() const { return static_cast<int>(m_sheets.size()); }
    Worksheet& Item(int position) const;  // 1-based
    // Deletes the sheets; throws SpreadsheetError (1004), deleting nothing, when no visible
    // sheet would remain. The sheet after them (else before them) becomes active.
    void Delete();
    // Prints each sheet's used cells, one job per sheet.
    void PrintOut(int copies = 1, std::optional<bool> collate = {});

private:
    Workbook* m_workbook;
    std::vector<Worksheet*> m_sheets;
};

class Window {
public:
    explicit Window(Workbook& workbook) : m_workbook(&workbook) {}
    SheetGroup SelectedSheets() const;
    Workbook& workbook() const { return *m_workbook; }

private:
    Workbook* m_workbook;
};

// Arguments of Workbook::SaveAs after the file name, with the object model's codes. Only what
// the writers can produce is accepted.
struct SaveAsOptions {
    // -4143, the normal workbook format (.xls; 56, the same format, is accepted), or 51, the Open
    // XML workbook (.xlsx).
    int fileFormat = -4143;
    std::string password;
    std::string writeResPassword;
    bool readOnlyRecommended = false;
    bool createBackup = false;
    int accessMode = 1;  // no change
};

inline constexpr int kWorkbookNormal = -4143;
inline constexpr int kOpenXmlWorkbook = 51;

class Workbook {
public:
    // A new workbook of three empty worksheets, Sheet1 active. Made by the application's
    // workbook collection.
    Workbook(Application& application, std::string name);
    // A workbook read from path; data are consumed.
    Workbook(Application& application, const std::string& path, xls::WorkbookData&& data);
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    Application& application() const { return *m_application; }
    // "Book1" for a workbook never saved, else the file name ("report.xls").
    const std::string& Name() const { return m_name; }
    const std::string& path() const { return m_path; }

    SheetCollection& Sheets() { return m_sheets; }
    const SheetCollection& Sheets() const { return m_sheets; }
    Worksheet& ActiveSheet() const { return *m_activeSheet; }
    Window& ActiveWindow() { return m_window; }
    void Activate();

    // Writes the workbook over its own file, in the format it was opened or last saved in. Throws
    // SpreadsheetError (1004), writing nothing, when it was never saved, when it was opened from a
    // file that holds content this model does not keep (formulas, formatting, charts, ...: saving
    // would lose it; SaveAs to a new name writes what the model holds), when the file is marked
    // read-only, or when writing fails.
    void Save();
    // Writes the workbook to fileName in the format options ask for (an existing file is
    // replaced; the file appears whole or not at all) and makes that its file, name and format.
    // As .xlsx, a sheet's pending block of rows (Worksheet::setRows) is produced while the file
    // is written and not stored; as .xls it is put into the cells first. Throws
    // SpreadsheetError (1004), writing nothing, for an empty name, a name that is the file of
    // another open workbook, options the writers cannot honour (another format, passwords,
    // read-only recommended, a backup), the workbook's own file when that would lose content
    // (as Save), an existing file marked read-only, a sheet too large for the format, or a
    // failure to write; what a block's source throws passes unchanged, nothing written.
    void SaveAs(const std::string& fileName, const SaveAsOptions& options = {});
    // Prints every visible sheet's used cells, one job per sheet.
    void PrintOut(int copies = 1, std::optional<bool> collate = {});
    // Closes the workbook without saving.
    void Close();

    // What the file it was opened from holds that the model does not ("formulas", ...); empty
    // for a new workbook and after SaveAs.
    const std::vector<std::string>& unsupportedContent() const { return m_unsupported; }

    void setActiveSheet(Worksheet& sheet) { m_activeSheet = &sheet; }

    // The texts of every sheet's text cells, each kept once (cells hold their ids).
    xls::StringTable& texts() { return m_texts; }
    const xls::StringTable& texts() const { return m_texts; }

private:
    void write(const std::string& path, int fileFormat);
    void writeXlsx(const std::string& path);
    std::vector<xls::PackedCell> packCells(const xls::Sheet& sheet, bool date1904);

    Application* m_application;
    xls::StringTable m_texts;  // before the sheets, whose cells refer to it
    std::string m_name;
    std::string m_path;
    int m_fileFormat = kWorkbookNormal;
    SheetCollection m_sheets;
    Worksheet* m_activeSheet = nullptr;
    Window m_window;
    std::vector<std::string> m_unsupported;
};

}  // namespace spreadsheet
