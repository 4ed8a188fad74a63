#include "engine/CsvReader.h"

#include "engine/EngineError.h"

namespace engine {

CsvReader::CsvReader(std::istream& in) : m_in(in) {
    const char bom[] = "\xEF\xBB\xBF";
    int matched = 0;
    while (matched < 3 && m_in.peek() == static_cast<unsigned char>(bom[matched])) {
        m_in.get();
        ++matched;
    }
    // Fewer than all three bytes of the mark are text; put them back.
    for (; matched > 0 && matched < 3; --matched) m_in.unget();
}

int CsvReader::get() { return m_in.get(); }
int CsvReader::peek() { return m_in.peek(); }

bool CsvReader::next(std::vector<std::string>& fields) {
    fields.clear();
    // Lines with nothing on them.
    for (;;) {
        const int c = peek();
        if (c == '\n') {
            get();
            ++m_line;
        } else if (c == '\r') {
            get();
            if (peek() == '\n') get();
            ++m_line;
        } else {
            break;
        }
    }
    if (peek() == std::char_traits<char>::eof()) return false;
    m_recordLine = m_line;
    std::string field;
    for (;;) {
        int c = get();
        if (c == '"' && field.empty()) {
            // A quoted field, to its closing quote.
            for (;;) {
                c = get();
                if (c == std::char_traits<char>::eof()) {
                    throw EngineError("Line " + std::to_string(m_recordLine) +
                                      ": a quoted value has no closing quote.");
                }
                if (c == '"') {
                    if (peek() != '"') break;
                    get();
                }
                if (c == '\n') ++m_line;
                field.push_back(static_cast<char>(c));
            }
            c = get();
            if (c == '\r' && peek() == '\n') c = get();
            if (c != ',' && c != '\n' && c != '\r' && c != std::char_traits<char>::eof()) {
                throw EngineError("Line " + std::to_string(m_line) +
                                  ": there is text after the closing quote of a value.");
            }
        } else if (c == '\r' && peek() == '\n') {
            c = get();
        }
        if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
            continue;
        }
        if (c == '\n' || c == '\r' || c == std::char_traits<char>::eof()) {
            fields.push_back(std::move(field));
            if (c != std::char_traits<char>::eof()) ++m_line;
            return true;
        }
        field.push_back(static_cast<char>(c));
    }
}

}  // namespace engine
