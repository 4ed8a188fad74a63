#include "spreadsheet/CellReference.h"

#include "spreadsheet/SpreadsheetError.h"

#include <algorithm>
#include <optional>

namespace spreadsheet {

namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// One side of a reference: a column, a row, or both. Absent parts stay empty.
struct Part {
    std::optional<int> row;
    std::optional<int> column;
};

// Reads [$]letters[$]digits, [$]letters or [$]digits; nullopt when the text is anything else or
// a number is out of the worksheet.
std::optional<Part> parsePart(std::string_view text) {
    Part part;
    std::size_t i = 0;
    auto skipDollar = [&] {
        if (i < text.size() && text[i] == '$') ++i;
    };
    skipDollar();
    std::size_t lettersStart = i;
    long column = 0;
    while (i < text.size() && isLetter(text[i])) {
        if (i - lettersStart >= 3) return std::nullopt;
        char upper = static_cast<char>(text[i] & ~0x20);
        column = column * 26 + (upper - 'A' + 1);
        ++i;
    }
    if (i > lettersStart) {
        if (column > kColumnCount) return std::nullopt;
        part.column = static_cast<int>(column - 1);
        std::size_t beforeDollar = i;
        skipDollar();
        if (i > beforeDollar && i == text.size()) return std::nullopt;
    }
    std::size_t digitsStart = i;
    long row = 0;
    while (i < text.size() && isDigit(text[i])) {
        if (i - digitsStart >= 6) return std::nullopt;
        row = row * 10 + (text[i] - '0');
        ++i;
    }
    if (i > digitsStart) {
        if (row < 1 || row > kRowCount || text[digitsStart] == '0') return std::nullopt;
        part.row = static_cast<int>(row - 1);
    }
    if (i != text.size() || (!part.row && !part.column)) return std::nullopt;
    return part;
}

}  // namespace

std::string columnLetters(int column) {
    std::string letters;
    for (long n = static_cast<long>(column) + 1; n > 0; n = (n - 1) / 26) {
        letters.push_back(static_cast<char>('A' + (n - 1) % 26));
    }
    std::reverse(letters.begin(), letters.end());
    return letters;
}

std::string cellName(int row, int column) {
    std::string name = columnLetters(column);
    name.append(std::to_string(row + 1));
    return name;
}

std::string areaName(const CellArea& area) {
    if (area.isSingleCell()) return cellName(area.top, area.left);
    return cellName(area.top, area.left) + ":" + cellName(area.bottom, area.right);
}

CellArea parseReference(std::string_view text) {
    auto invalid = [&] {
        std::string detail = "\"";
        detail.append(text).append("\" is not a valid cell reference.");
        return SpreadsheetError::operationFailed(detail);
    };
    std::size_t colon = text.find(':');
    std::optional<Part> first = parsePart(text.substr(0, colon));
    if (!first) throw invalid();
    std::optional<Part> second = first;
    if (colon != std::string_view::npos) {
        second = parsePart(text.substr(colon + 1));
        if (!second) throw invalid();
    }
    bool firstIsCell = first->row && first->column;
    bool secondIsCell = second->row && second->column;
    CellArea area;
    if (firstIsCell && secondIsCell) {
        area = {std::min(*first->row, *second->row), std::min(*first->column, *second->column),
                std::max(*first->row, *second->row), std::max(*first->column, *second->column)};
    } else if (colon != std::string_view::npos && !first->row && !second->row) {
        area = {0, std::min(*first->column, *second->column), kRowCount - 1,
                std::max(*first->column, *second->column)};
    } else if (colon != std::string_view::npos && !first->column && !second->column) {
        area = {std::min(*first->row, *second->row), 0, std::max(*first->row, *second->row),
                kColumnCount - 1};
    } else {
        throw invalid();
    }
    return area;
}

}  // namespace spreadsheet
