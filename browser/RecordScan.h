// Scans of the open record set for the grid's view: the order of one column's values, the
// records that hold one value, and the next record that holds a text. Each reads through the
// record set in position order (so through its page cache, never the whole table at once) and
// keeps a few bytes per record.
#pragma once

#include "browser/RowOrder.h"

#include <QString>

#include <optional>
#include <string>

namespace engine {
class Recordset;
class Value;
}  // namespace engine

namespace browser {

// The positions of candidates (ascending; null: every record) ordered by their values in column.
// Ascending order puts nulls first, then logical values (false before true), numbers by value,
// dates and times by value, then text by its UTF-8 bytes: code point order, so case counts and
// "B" comes before "a". Descending reverses the order of the values (nulls last). Equal values
// keep their record order either way. Memory: 13 bytes per candidate while sorting, 17 at the
// end (the result is 4). Throws the engine's failure when a value cannot be read.
Positions sortedPositions(const engine::Recordset& set, int column, bool descending,
                          const Positions* candidates = nullptr);

// The positions among candidates (ascending; null: every record) whose value in column equals
// value: the same kind and the same value (text exactly, numbers by value, null with null).
Positions matchingPositions(const engine::Recordset& set, int column, const engine::Value& value,
                            const Positions* candidates = nullptr);

// Whether a cell's text (as the grid shows it: Value::toString) contains a text.
class TextMatcher {
public:
    // text must not be empty. Without matchCase both sides are compared case-folded.
    TextMatcher(const QString& text, bool matchCase);
    bool matches(const engine::Value& value);

private:
    std::string m_needle;
    bool m_matchCase;
    std::string m_text;
};

// The first row of order after fromRow (wrapping round to the rows before it, fromRow itself
// last; -1: start at the first row) whose record holds a cell that matcher matches, in column
// (-1: any column). Reads the records in position order. nullopt when none does.
std::optional<long> findRow(const engine::Recordset& set, const RowOrder& order, long fromRow,
                            int column, TextMatcher& matcher);

}  // namespace browser
