// The writer's stream builders: a workbook laid out as a BIFF8 workbook stream.
#pragma once

#include "xls/StringTable.h"
#include "xls/WorkbookData.h"
#include "xls/WorkbookView.h"
#include "xls/biff8/RecordWriter.h"
#include "xls/biff8/SharedStrings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace xls::biff8 {

// A workbook checked against every limit and measured, ready to be laid out as its workbook
// stream: workbook globals (BOF, CODEPAGE, WINDOW1, DATEMODE, FONT x5, XF x19, STYLE, BOUNDSHEET
// per sheet, SST with CONTINUE, EXTSST, EOF), then per sheet BOF, DIMENSIONS, the cells in row
// and column order, WINDOW2, EOF; padded with zero bytes to a multiple of 512 above 4096 so the
// stream never lives in the compound file's mini stream.
//
// The stream is laid out in one pass from the start: the globals name each sheet's position, so
// every length is known beforehand (the shared strings are measured by laying them out once
// without keeping the bytes).
class WorkbookLayout {
public:
    // Checks every limit before anything is laid out; throws XlsError whose description names
    // the offending sheet or cell (without the file name). The workbook, its cells and its texts
    // must stay unchanged until write() has returned.
    explicit WorkbookLayout(const WorkbookView& workbook);

    // The stream length, padding included.
    std::size_t streamLength() const { return m_streamLength; }
    // Lays the stream out into out, which must be at stream position 0, and flushes it.
    void write(StreamBuffer& out) const;

private:
    struct SheetPlan {
        std::u16string name;
        std::size_t length = 0;  // of its substream, BOF to EOF
        bool hasCells = false;
        std::uint32_t firstRow = 0, lastRow = 0;
        std::uint16_t firstColumn = 0, lastColumn = 0;
    };

    void planSheet(const SheetView& sheet, SheetPlan& plan);
    void writeGlobals(StreamBuffer& out) const;
    void writeSheet(StreamBuffer& out, std::size_t index) const;

    const WorkbookView* m_workbook;
    SharedStrings m_strings;
    std::vector<SheetPlan> m_sheets;
    std::vector<std::uint32_t> m_sheetOffsets;
    std::uint16_t m_selectedSheets = 0;
    std::size_t m_streamLength = 0;
};

// WorkbookData in the writer's form: its texts in a string table of its own, its cells packed
// and sorted, and a view of them. Throws XlsError (without the file name) for a sheet that is
// not a worksheet, a cell past the last row or column, and text that is not UTF-8 or is longer
// than a cell holds; WorkbookLayout checks the rest.
class PackedWorkbook {
public:
    explicit PackedWorkbook(const WorkbookData& data);
    PackedWorkbook(const PackedWorkbook&) = delete;
    PackedWorkbook& operator=(const PackedWorkbook&) = delete;

    const WorkbookView& view() const { return m_view; }

private:
    StringTable m_texts;
    std::vector<std::vector<PackedCell>> m_cells;
    WorkbookView m_view;
};

// The whole stream in memory, for tests and callers that want the bytes.
Bytes buildWorkbookStream(const WorkbookView& workbook);
Bytes buildWorkbookStream(const WorkbookData& workbook);

// The stream length after padding, for a stream of `length` bytes.
std::size_t paddedStreamLength(std::size_t length);

// "B3" for row 2, column 1 (both 0-based).
std::string cellReference(std::uint32_t row, std::uint32_t column);

}  // namespace xls::biff8
