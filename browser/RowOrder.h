// The grid's rows in terms of record positions: every record in position order, or a list of
// positions (a sort order, or the records a filter keeps).
#pragma once

#include <cstdint>
#include <vector>

namespace browser {

using Positions = std::vector<std::uint32_t>;

// Row r shows the record at positionAt(r). An ascending list (a filter in record order) is found
// by binary search; any other order keeps an inverse of 4 bytes per record of the table, so that
// rowOf is one look-up either way.
class RowOrder {
public:
    // Every record of a set of count records, in position order (no memory per record).
    void showAll(long count);
    // Only these positions, in this order; count is the set's record count. ascending says
    // whether the list is in position order.
    void showRows(Positions rows, bool ascending, long count);

    bool isIdentity() const { return m_identity; }
    bool isAscending() const { return m_identity || m_inverse.empty(); }
    long size() const { return m_identity ? m_count : static_cast<long>(m_rows.size()); }
    long positionAt(long row) const;
    // The row that shows the record at position, or -1 when the order leaves it out.
    long rowOf(long position) const;
    // The positions shown, ascending (a copy for a list in another order); empty for identity.
    Positions ascendingPositions() const;

    // The set appended a record at position (its last): it is shown as the last row.
    void recordAppended(long position);
    // The set deleted the record at position: its row goes, later positions move down by one.
    void recordRemoved(long position);

private:
    void buildInverse();

    bool m_identity = true;
    long m_count = 0;
    Positions m_rows;
    Positions m_inverse;  // position -> row, kNotShown when left out; empty for ascending lists
};

}  // namespace browser
