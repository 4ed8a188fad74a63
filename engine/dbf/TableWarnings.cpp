#include "engine/dbf/TableWarnings.h"

namespace engine::dbf {

namespace {

const char* whatTheCellsHold(CellProblem problem) {
    switch (problem) {
        case CellProblem::NotNumber:
            return "values that are not numbers";
        case CellProblem::NotLogical:
            return "values that are not logical values";
        case CellProblem::NotDate:
            return "values that are not valid dates";
        case CellProblem::NotDateTime:
            return "values that are not valid dates and times";
        case CellProblem::BadMemoPointer:
            return "memo pointers that are not block numbers";
        case CellProblem::MemoPastEnd:
            return "memo pointers past the end of the memo file";
        case CellProblem::MemoInHeader:
            return "memo pointers into the header of the memo file";
        case CellProblem::MemoCut:
            return "memos cut short by the end of the memo file";
        case CellProblem::MemoNotIvStyle:
            return "memos without their dBASE IV block header";
        case CellProblem::MemoLengthWithoutHeader:
            return "memos whose stated length leaves out their block header";
        case CellProblem::None:
            break;
    }
    return "values it cannot read";
}

// Whether the values are lost to the user, or shown whole all the same.
WarningSeverity severityOf(CellProblem problem) {
    switch (problem) {
        case CellProblem::MemoNotIvStyle:
        case CellProblem::MemoLengthWithoutHeader:
            return WarningSeverity::Detail;
        default:
            return WarningSeverity::Important;
    }
}

// What the table shows for such values.
const char* howTheyAreShown(CellProblem problem) {
    switch (problem) {
        case CellProblem::MemoCut:
            return "such memos are shown as far as the file holds them";
        case CellProblem::MemoNotIvStyle:
            return "such memos are read as dBASE III text";
        case CellProblem::MemoLengthWithoutHeader:
            return "their whole text is shown";
        default:
            return "such values are shown empty";
    }
}

}  // namespace

void TableWarnings::add(std::string sentence, WarningSeverity severity) {
    if (severity == WarningSeverity::Important) m_important.push_back(sentence);
    m_warnings.push_back(std::move(sentence));
}

void TableWarnings::badCell(std::size_t field, const std::string& fieldName, std::uint32_t physical,
                            CellProblem problem) {
    if (field >= m_fieldWarned.size()) m_fieldWarned.resize(field + 1, false);
    if (m_fieldWarned[field]) return;
    m_fieldWarned[field] = true;
    add("Field " + fieldName + " of " + m_tableName + " holds " + whatTheCellsHold(problem) +
            " (first in record " + std::to_string(physical + 1) + "); " + howTheyAreShown(problem) +
            ".",
        severityOf(problem));
}

void TableWarnings::oddDeletionMarks() {
    if (m_flagsWarned) return;
    m_flagsWarned = true;
    add("Some records of " + m_tableName +
            " have an unusual deletion mark; they are shown as live records.",
        WarningSeverity::Important);
}

}  // namespace engine::dbf
