#include "xlsx/detail/SheetData.h"

#include "xls/StringTable.h"
#include "xlsx/WorkbookView.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <vector>

namespace xlsx::detail {

namespace {

constexpr std::size_t kFlushAt = std::size_t{1} << 20;
// Room for the markup of one cell, its reference and its value, text aside.
constexpr std::size_t kCellRoom = 128;
// The most one byte of text can become: a control character as _xHHHH_.
constexpr std::size_t kEscapedPerByte = 7;

template <std::size_t N>
char* put(char* at, const char (&literal)[N]) {
    std::memcpy(at, literal, N - 1);
    return at + N - 1;
}

char* put(char* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

char* putColumn(char* at, std::uint32_t column) {
    char letters[4];
    int count = 0;
    for (std::uint32_t n = column + 1; n > 0; n = (n - 1) / 26) {
        letters[count++] = static_cast<char>('A' + (n - 1) % 26);
    }
    while (count > 0) *at++ = letters[--count];
    return at;
}

char* putHex4(char* at, unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) *at++ = kDigits[(value >> shift) & 0xF];
    return at;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Bytes that may need more than themselves: markup, control characters, the start of an
// _xHHHH_ form, and the lead byte of U+FFFE and U+FFFF.
constexpr std::array<bool, 256> kSpecial = [] {
    std::array<bool, 256> special{};
    for (int c = 0; c < 0x20; ++c) special[static_cast<std::size_t>(c)] = c != '\t' && c != '\n';
    special['<'] = special['>'] = special['&'] = special['_'] = true;
    special[0xEF] = true;
    return special;
}();

// Writes text escaped; needs kEscapedPerByte bytes of room per byte of text.
char* putEscaped(char* at, std::string_view text) {
    const char* data = text.data();
    const std::size_t size = text.size();
    std::size_t plainFrom = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (!kSpecial[byte]) continue;
        at = put(at, std::string_view(data + plainFrom, i - plainFrom));
        plainFrom = i + 1;
        switch (byte) {
            case '<':
                at = put(at, "&lt;");
                break;
            case '>':
                at = put(at, "&gt;");
                break;
            case '&':
                at = put(at, "&amp;");
                break;
            case '_':
                // A literal _xHHHH_ would be read as an escape: its underscore is escaped itself.
                if (i + 6 < size && data[i + 1] == 'x' && isHexDigit(data[i + 2]) &&
                    isHexDigit(data[i + 3]) && isHexDigit(data[i + 4]) && isHexDigit(data[i + 5]) &&
                    data[i + 6] == '_') {
                    at = put(at, "_x005F_");
                } else {
                    *at++ = '_';
                }
                break;
            case 0xEF:
                if (i + 2 < size && static_cast<unsigned char>(data[i + 1]) == 0xBF &&
                    (static_cast<unsigned char>(data[i + 2]) & 0xFE) == 0xBE) {
                    at = put(at, "_x");
                    at = putHex4(at, 0xFFFEu | (static_cast<unsigned char>(data[i + 2]) & 1u));
                    *at++ = '_';
                    plainFrom = i + 3;
                    i += 2;
                } else {
                    *at++ = data[i];
                }
                break;
            default:  // a control character
                at = put(at, "_x");
                at = putHex4(at, byte);
                *at++ = '_';
                break;
        }
    }
    return put(at, std::string_view(data + plainFrom, size - plainFrom));
}

bool needsPreserve(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    return blank(text.front()) || blank(text.back());
}

// A growing buffer handed to the sink each time it passes kFlushAt.
class Output {
public:
    explicit Output(const std::function<void(std::string_view)>& sink)
        : m_sink(sink), m_buffer(kFlushAt + 64 * 1024) {}

    // Room for n bytes at the end; write into it, then call done() with where writing stopped.
    char* room(std::size_t n) {
        if (m_used + n > m_buffer.size()) {
            flush();
            if (n > m_buffer.size()) m_buffer.resize(n);
        }
        return m_buffer.data() + m_used;
    }
    void done(const char* end) {
        m_used = static_cast<std::size_t>(end - m_buffer.data());
        if (m_used >= kFlushAt) flush();
    }
    void flush() {
        if (m_used > 0) m_sink(std::string_view(m_buffer.data(), m_used));
        m_used = 0;
    }

private:
    const std::function<void(std::string_view)>& m_sink;
    std::vector<char> m_buffer;
    std::size_t m_used = 0;
};

struct Row {
    char digits[12];
    std::size_t length = 0;
    bool open = false;
};

class SheetWriter {
public:
    SheetWriter(const xls::StringTable& texts, const FrameStyles& styles, Output& out)
        : m_texts(texts), m_styles(styles), m_out(out) {}

    void beginRow(std::uint32_t row) {
        auto result = std::to_chars(m_row.digits, m_row.digits + sizeof m_row.digits, row + 1);
        m_row.length = static_cast<std::size_t>(result.ptr - m_row.digits);
        m_row.open = false;
    }
    void endRow() {
        if (!m_row.open) return;
        m_out.done(put(m_out.room(8), "</row>"));
    }

    void packed(const xls::PackedCell& cell) {
        switch (cell.type()) {
            case xls::CellType::Number:
                number(cell.column(), cell.number(), cell.format());
                break;
            case xls::CellType::Text:
                text(cell.column(), m_texts.text(cell.textId()));
                break;
            case xls::CellType::Boolean:
                boolean(cell.column(), cell.boolean());
                break;
            case xls::CellType::Error:
                error(cell.column(), cell.errorCode());
                break;
        }
    }

    void produced(std::uint32_t column, const RowCell& cell) {
        switch (cell.kind) {
            case RowCell::Kind::Empty:
                break;
            case RowCell::Kind::Number:
                number(column, cell.number, cell.format);
                break;
            case RowCell::Kind::Text:
                text(column, cell.text);
                break;
            case RowCell::Kind::Boolean:
                boolean(column, cell.boolean);
                break;
            case RowCell::Kind::Error:
                error(column, cell.errorCode);
                break;
        }
    }

private:
    // Opens the row element if need be and the cell's start tag up to its reference's end.
    char* start(std::uint32_t column, std::size_t extra) {
        char* at = m_out.room(kCellRoom + extra);
        if (!m_row.open) {
            at = put(at, "<row r=\"");
            at = put(at, std::string_view(m_row.digits, m_row.length));
            at = put(at, "\">");
            m_row.open = true;
        }
        at = put(at, "<c r=\"");
        at = putColumn(at, column);
        return put(at, std::string_view(m_row.digits, m_row.length));
    }

    std::uint32_t styleOf(xls::NumberFormat format) const {
        switch (format) {
            case xls::NumberFormat::Date:
                return m_styles.date;
            case xls::NumberFormat::DateTime:
                return m_styles.dateTime;
            case xls::NumberFormat::Time:
                return m_styles.time;
            case xls::NumberFormat::General:
            case xls::NumberFormat::Other:
                break;
        }
        return 0;
    }

    void number(std::uint32_t column, double value, xls::NumberFormat format) {
        char* at = start(column, 0);
        if (std::uint32_t style = styleOf(format); style != 0) {
            at = put(at, "\" s=\"");
            at = std::to_chars(at, at + 10, style).ptr;
        }
        at = put(at, "\"><v>");
        at = std::to_chars(at, at + 32, value).ptr;
        m_out.done(put(at, "</v></c>"));
    }

    void text(std::uint32_t column, std::string_view value) {
        if (value.empty()) return;
        char* at = start(column, value.size() * kEscapedPerByte);
        at = put(at, needsPreserve(value) ? "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">"
                                          : "\" t=\"inlineStr\"><is><t>");
        at = putEscaped(at, value);
        m_out.done(put(at, "</t></is></c>"));
    }

    void boolean(std::uint32_t column, bool value) {
        char* at = start(column, 0);
        m_out.done(put(at, value ? "\" t=\"b\"><v>1</v></c>" : "\" t=\"b\"><v>0</v></c>"));
    }

    void error(std::uint32_t column, std::uint8_t code) {
        const std::string name = xls::errorText(code);
        char* at = start(column, name.size());
        at = put(at, "\" t=\"e\"><v>");
        at = put(at, name);
        m_out.done(put(at, "</v></c>"));
    }

    const xls::StringTable& m_texts;
    const FrameStyles& m_styles;
    Output& m_out;
    Row m_row;
};

}  // namespace

std::string cellName(std::uint32_t row, std::uint32_t column) {
    char name[24];
    char* end = putColumn(name, column);
    end = std::to_chars(end, name + sizeof name, row + 1).ptr;
    return std::string(name, end);
}

void appendEscaped(std::string& out, std::string_view text) {
    const std::size_t before = out.size();
    out.resize(before + text.size() * kEscapedPerByte);
    char* end = putEscaped(out.data() + before, text);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

std::string dimensionOf(const SheetView& sheet) {
    bool any = false;
    std::uint32_t top = 0, left = 0, bottom = 0, right = 0;
    auto include = [&](std::uint32_t t, std::uint32_t l, std::uint32_t b, std::uint32_t r) {
        if (!any) {
            top = t, left = l, bottom = b, right = r;
            any = true;
            return;
        }
        top = std::min(top, t), left = std::min(left, l);
        bottom = std::max(bottom, b), right = std::max(right, r);
    };
    for (const xls::PackedCell& cell : sheet.cells) {
        include(cell.row(), cell.column(), cell.row(), cell.column());
    }
    if (sheet.block && sheet.block->rows > 0 && sheet.block->columns > 0) {
        const RowBlock& block = *sheet.block;
        include(block.top, block.left, block.top + block.rows - 1, block.left + block.columns - 1);
    }
    if (!any) return "A1";
    if (top == bottom && left == right) return cellName(top, left);
    return cellName(top, left) + ":" + cellName(bottom, right);
}

void writeSheetData(const SheetView& sheet, const xls::StringTable& texts,
                    const FrameStyles& styles, const std::function<void(std::string_view)>& out) {
    Output output(out);
    SheetWriter writer(texts, styles, output);
    output.done(put(output.room(16), "<sheetData>"));

    const std::span<const xls::PackedCell> cells = sheet.cells;
    std::size_t next = 0;  // the first packed cell not written yet
    RowBlock block;
    if (sheet.block && sheet.block->columns > 0) block = *sheet.block;
    if (block.rows > 0) block.producer->start();
    std::uint32_t blockRow = 0;  // rows of the block written
    const std::uint32_t blockEnd = block.left + block.columns;

    while (next < cells.size() || blockRow < block.rows) {
        const std::uint32_t row =
            blockRow < block.rows
                ? (next < cells.size() ? std::min(cells[next].row(), block.top + blockRow)
                                       : block.top + blockRow)
                : cells[next].row();
        writer.beginRow(row);
        // The packed cells left of the block, the block's row, then the packed cells right of it.
        const bool inBlock = blockRow < block.rows && row == block.top + blockRow;
        while (next < cells.size() && cells[next].row() == row &&
               (!inBlock || cells[next].column() < block.left)) {
            writer.packed(cells[next++]);
        }
        if (inBlock) {
            std::span<const RowCell> produced = block.producer->next();
            const std::size_t count = std::min<std::size_t>(produced.size(), block.columns);
            for (std::size_t k = 0; k < count; ++k) {
                writer.produced(block.left + static_cast<std::uint32_t>(k), produced[k]);
            }
            ++blockRow;
            if (next < cells.size() && cells[next].row() == row &&
                cells[next].column() < blockEnd) {
                throw XlsxError("cell " + cellName(row, cells[next].column()) + " of " +
                                sheet.name + " has two values.");
            }
            while (next < cells.size() && cells[next].row() == row) writer.packed(cells[next++]);
        }
        writer.endRow();
    }
    output.done(put(output.room(16), "</sheetData>"));
    output.flush();
}

}  // namespace xlsx::detail
