#include "browser/RowOrder.h"

#include <algorithm>
#include <limits>

namespace browser {

namespace {

constexpr std::uint32_t kNotShown = std::numeric_limits<std::uint32_t>::max();

}  // namespace

void RowOrder::showAll(long count) {
    m_identity = true;
    m_count = count;
    Positions().swap(m_rows);
    Positions().swap(m_inverse);
}

void RowOrder::showRows(Positions rows, bool ascending, long count) {
    m_identity = false;
    m_count = count;
    m_rows = std::move(rows);
    Positions().swap(m_inverse);
    if (!ascending) buildInverse();
}

void RowOrder::buildInverse() {
    m_inverse.assign(static_cast<std::size_t>(m_count), kNotShown);
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        m_inverse[m_rows[row]] = static_cast<std::uint32_t>(row);
    }
}

long RowOrder::positionAt(long row) const {
    if (row < 0 || row >= size()) return -1;
    return m_identity ? row : static_cast<long>(m_rows[static_cast<std::size_t>(row)]);
}

long RowOrder::rowOf(long position) const {
    if (position < 0 || position >= m_count) return -1;
    if (m_identity) return position;
    if (!m_inverse.empty()) {
        const std::uint32_t row = m_inverse[static_cast<std::size_t>(position)];
        return row == kNotShown ? -1 : static_cast<long>(row);
    }
    const auto found =
        std::lower_bound(m_rows.begin(), m_rows.end(), static_cast<std::uint32_t>(position));
    if (found == m_rows.end() || *found != position) return -1;
    return static_cast<long>(found - m_rows.begin());
}

Positions RowOrder::ascendingPositions() const {
    Positions positions = m_rows;
    if (!isAscending()) std::sort(positions.begin(), positions.end());
    return positions;
}

void RowOrder::recordAppended(long position) {
    ++m_count;
    if (m_identity) return;
    // Records are appended at the end; a record put in before others moves them up.
    for (std::uint32_t& shown : m_rows) {
        if (shown >= position) ++shown;
    }
    m_rows.push_back(static_cast<std::uint32_t>(position));
    // A list in record order stays one unless the record went in before others.
    if (!m_inverse.empty() || position != m_count - 1) buildInverse();
}

void RowOrder::recordRemoved(long position) {
    if (position < 0 || position >= m_count) return;
    --m_count;
    if (m_identity) return;
    const long row = rowOf(position);
    if (row >= 0) m_rows.erase(m_rows.begin() + row);
    for (std::uint32_t& shown : m_rows) {
        if (shown > position) --shown;
    }
    if (!m_inverse.empty()) buildInverse();
}

}  // namespace browser
