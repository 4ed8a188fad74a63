// A worksheet's block of rows from a source: produced while an .xlsx file is written, put into
// the cells once anything else needs them, and failures that store nothing.
#include "spreadsheet/Application.h"
#include "spreadsheet/RowSource.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Variant.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Worksheet.h"
#include "tests/export/WorkbookReaders.h"
#include "tests/spreadsheet/Fakes.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace spreadsheet {
namespace {

struct SourceBroke {};

// rows x columns values made by value(row, column); throws SourceBroke instead of row failAt.
class MadeRows : public RowSource {
public:
    MadeRows(long rows, int columns, std::function<Variant(long, int)> value, long failAt = -1)
        : m_rows(rows), m_columns(columns), m_value(std::move(value)), m_failAt(failAt) {}
    long rowCount() const override { return m_rows; }
    int columnCount() const override { return m_columns; }
    void rewind() override {
        ++rewinds;
        m_next = 0;
    }
    std::span<const Variant> nextRow() override {
        if (m_next == m_failAt) throw SourceBroke();
        m_values.clear();
        for (int k = 0; k < m_columns; ++k) m_values.push_back(m_value(m_next, k));
        ++m_next;
        return m_values;
    }
    int rewinds = 0;

private:
    long m_rows;
    int m_columns;
    std::function<Variant(long, int)> m_value;
    long m_failAt;
    long m_next = 0;
    std::vector<Variant> m_values;
};

class RowBlockTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::shared_ptr<Application> app = Application::create();
    Workbook& book = app->Workbooks().Add();
    Worksheet& sheet = book.ActiveSheet();

    std::size_t files() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }
    void saveAs(const std::string& name) {
        SaveAsOptions options;
        if (name.ends_with(".xlsx")) options.fileFormat = kOpenXmlWorkbook;
        book.SaveAs((dir / name).string(), options);
    }
};

const Variant kValues[] = {
    Variant::text("00123"),           Variant::text("TRUE"), Variant::number(5), Variant::null(),
    Variant::date({1899, 12, 31, 0}), Variant::boolean(true)};

TEST_F(RowBlockTest, RowsAreDataKeptOutOfTheCellsUntilSomethingBesidesAnXlsxSaveNeedsThem) {
    sheet.setValue(0, 0, CellValue::text("head"));
    sheet.setValue(3, 1, CellValue::number(99));  // inside the block: cleared
    auto rows = std::make_shared<MadeRows>(3, 2, [](long r, int k) { return kValues[r * 2 + k]; });
    sheet.setRows(2, 1, rows);
    sheet.setValue(10, 10, CellValue::number(1));  // outside it: the block waits
    saveAs("a.xlsx");
    saveAs("b.xlsx");
    EXPECT_EQ(rows->rewinds, 2);
    ASSERT_TRUE(sheet.rowBlock().has_value());
    for (const char* name : {"a.xlsx", "b.xlsx"}) {
        testsupport::ReadSheet read = testsupport::readWithOpenpyxl((dir / name).string());
        EXPECT_EQ(read.cells.size(), 7u);
        EXPECT_EQ(*read.at(2, 1), (testsupport::ReadCell{"text", "00123"}));
        EXPECT_EQ(*read.at(2, 2), (testsupport::ReadCell{"text", "TRUE"}));
        EXPECT_EQ(*read.at(4, 1), (testsupport::ReadCell{"text", "1899-12-31"}));
    }
    // Reading a cell puts the rows into the cells, once; the saves then store them as cells.
    EXPECT_EQ(sheet.value(2, 1), CellValue::text("00123"));
    EXPECT_EQ(sheet.value(3, 1), CellValue::number(5));
    EXPECT_TRUE(sheet.value(3, 2).isEmpty());
    EXPECT_EQ(sheet.value(4, 2), CellValue::boolean(true));
    EXPECT_FALSE(sheet.rowBlock().has_value());
    saveAs("c.xls");
    saveAs("c.xlsx");
    EXPECT_EQ(rows->rewinds, 1 + 2);
    EXPECT_EQ(testsupport::readWithXlrd((dir / "c.xls").string()).cells.size(), 7u);
    EXPECT_EQ(testsupport::readWithOpenpyxl((dir / "c.xlsx").string()).cells,
              testsupport::readWithOpenpyxl((dir / "a.xlsx").string()).cells);

    // A cell written inside a block puts the block into the cells first, then wins.
    sheet.setRows(2, 1, rows);
    sheet.setValue(2, 1, CellValue::text("new"));
    EXPECT_EQ(sheet.value(2, 1), CellValue::text("new"));
    EXPECT_EQ(sheet.value(2, 2), CellValue::text("TRUE"));
}

TEST_F(RowBlockTest, ABlockPastRow65536IsSavedOnlyAsXlsx) {
    auto rows = std::make_shared<MadeRows>(
        70000, 1, [](long r, int) { return Variant::number(static_cast<double>(r)); });
    sheet.setRows(0, 0, rows);
    for (const std::function<void()>& use : std::vector<std::function<void()>>{
             [&] { sheet.value(0, 0); }, [&] { saveAs("big.xls"); }}) {
        try {
            use();
            ADD_FAILURE() << "the block was used";
        } catch (const SpreadsheetError& error) {
            EXPECT_NE(std::string(error.what()).find("A70000"), std::string::npos);
            EXPECT_NE(std::string(error.what()).find(".xlsx"), std::string::npos);
        }
    }
    EXPECT_TRUE(sheet.rowBlock().has_value());
    EXPECT_EQ(files(), 0u);
    saveAs("big.xlsx");
    testsupport::ReadSheet read = testsupport::readWithOpenpyxl((dir / "big.xlsx").string());
    EXPECT_EQ(read.rows, 70000u);
    EXPECT_EQ(*read.at(69999, 0), (testsupport::ReadCell{"number", "69999.0"}));
}

TEST_F(RowBlockTest, FailuresPassUnchangedStoreNothingAndKeepTheBlock) {
    auto broken = std::make_shared<MadeRows>(
        3, 1, [](long, int) { return Variant::text("x"); }, 1);
    auto tooLong = std::make_shared<MadeRows>(
        3, 1, [](long r, int) { return Variant::text(std::string(r == 1 ? 32768 : 1, 'y')); });
    sheet.setRows(2, 1, broken);
    EXPECT_THROW(sheet.value(0, 0), SourceBroke);
    EXPECT_THROW(saveAs("broken.xlsx"), SourceBroke);
    EXPECT_TRUE(sheet.rowBlock().has_value());
    EXPECT_TRUE(sheet.storedCells().empty());
    // A second block needs the first in the cells: it fails the same way and is not taken.
    EXPECT_THROW(sheet.setRows(5, 5, tooLong), SourceBroke);
    EXPECT_EQ(sheet.rowBlock()->source, broken);

    Workbook& other = app->Workbooks().Add();
    other.ActiveSheet().setRows(2, 1, tooLong);
    SaveAsOptions xlsx;
    xlsx.fileFormat = kOpenXmlWorkbook;
    for (const std::function<void()>& use : std::vector<std::function<void()>>{
             [&] { other.ActiveSheet().value(2, 1); },
             [&] { other.SaveAs((dir / "long.xlsx").string(), xlsx); }}) {
        try {
            use();
            ADD_FAILURE() << "the long text was stored";
        } catch (const SpreadsheetError& error) {
            EXPECT_NE(std::string(error.what()).find("cell B4 of Sheet1 has 32768"),
                      std::string::npos)
                << error.what();
        }
    }
    EXPECT_TRUE(other.ActiveSheet().storedCells().empty());
    EXPECT_EQ(files(), 0u);
}

}  // namespace
}  // namespace spreadsheet
