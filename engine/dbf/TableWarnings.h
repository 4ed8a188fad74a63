// The oddities a table reports to the user, each a sentence and each said once: those met while
// opening, and cells that do not hold what their field's type says (once per field, worded here);
// each with its severity, given where it is made.
#pragma once

#include "engine/Warning.h"
#include "engine/dbf/FieldKinds.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine::dbf {

class TableWarnings {
public:
    // tableName: the file name, as the sentences name the table.
    explicit TableWarnings(std::string tableName = {}) : m_tableName(std::move(tableName)) {}

    const std::vector<std::string>& all() const { return m_warnings; }
    // Those that change what the user sees or may do, in order.
    const std::vector<std::string>& important() const { return m_important; }
    void add(std::string sentence, WarningSeverity severity);
    void add(Warning warning) { add(std::move(warning.text), warning.severity); }

    // A cell of the field (index, name) in record physical held what problem says. Fields are
    // counted from 0; the first problem of each field is told.
    void badCell(std::size_t field, const std::string& fieldName, std::uint32_t physical,
                 CellProblem problem);
    // Some records carry a deletion mark other than a space or "*"; told once.
    void oddDeletionMarks();

private:
    std::string m_tableName;
    std::vector<std::string> m_warnings;
    std::vector<std::string> m_important;
    std::vector<bool> m_fieldWarned;
    bool m_flagsWarned = false;
};

}  // namespace engine::dbf
