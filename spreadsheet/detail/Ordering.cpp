#include "spreadsheet/detail/Ordering.h"

#include "base/AsciiCase.h"

#include <algorithm>

namespace spreadsheet::detail {

namespace {

int rank(const CellValue& value) {
    switch (value.kind()) {
        case CellValue::Kind::Number:
        case CellValue::Kind::Date:
            return 0;
        case CellValue::Kind::Text:
            return 1;
        case CellValue::Kind::Boolean:
            return 2;
        case CellValue::Kind::Error:
            return 3;
        case CellValue::Kind::Empty:
            return 4;
    }
    return 4;
}

double numberOf(const CellValue& value) {
    return value.kind() == CellValue::Kind::Date ? value.asDateSerial() : value.asNumber();
}

int compareText(const std::string& a, const std::string& b, bool matchCase) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(matchCase ? a[i] : base::asciiUpper(a[i]));
        auto y = static_cast<unsigned char>(matchCase ? b[i] : base::asciiUpper(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

int compareCells(const CellValue& a, const CellValue& b, bool matchCase) {
    int rankA = rank(a);
    int rankB = rank(b);
    if (rankA != rankB) return rankA < rankB ? -1 : 1;
    switch (rankA) {
        case 0: {
            double x = numberOf(a);
            double y = numberOf(b);
            return x < y ? -1 : (y < x ? 1 : 0);
        }
        case 1:
            return compareText(a.asText(), b.asText(), matchCase);
        case 2:
            return static_cast<int>(a.asBoolean()) - static_cast<int>(b.asBoolean());
        case 3:
            return static_cast<int>(a.asError()) - static_cast<int>(b.asError());
        default:
            return 0;
    }
}

}  // namespace spreadsheet::detail
