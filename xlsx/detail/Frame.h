// The package around the sheets, written by libxlsxwriter.
#pragma once

#include <cstdint>
#include <string>

namespace xlsx {
struct WorkbookView;
}

namespace xlsx::detail {

// The style indexes (the s attribute of a cell) of the date formats the frame holds.
struct FrameStyles {
    std::uint32_t date = 0;      // built-in format 14
    std::uint32_t dateTime = 0;  // 22
    std::uint32_t time = 0;      // 21
};

// Writes at path a workbook with the view's sheets (names, visibility, selection, the active
// sheet), each without cells, and the three date formats; libxlsxwriter's own temporary files go
// to tmpdir. Throws XlsxError with libxlsxwriter's description when it fails.
FrameStyles writeFrame(const std::string& path, const WorkbookView& workbook,
                       const std::string& tmpdir);

// The path of sheet number index (0-based) inside the package, as the frame names it.
std::string sheetPartName(std::size_t index);

}  // namespace xlsx::detail
