// The memo part of a table check: each record's memo pointers against the memo file, the
// memos' overlaps and the header's next free block.
#pragma once

#include "engine/dbf/MemoStore.h"
#include "engine/dbf/TableCheck.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace engine::dbf {

class MemoCheck {
public:
    // Each record's bytes, in table order, from the first to the last the check covers.
    using RecordVisitor = std::function<void(std::uint32_t physical, const std::uint8_t* record)>;
    using RecordScan = std::function<void(const RecordVisitor& visit)>;

    // memo, header and out must outlive the check; fieldNames are the fields' names as the
    // problems name them.
    MemoCheck(const MemoStore& memo, const TableHeader& header, std::vector<std::string> fieldNames,
              TableFindings& out);

    // Checks the memo pointers of one record.
    void record(std::uint32_t physical, const std::uint8_t* bytes);
    // After the last record: the overlaps (naming their records through a second scan, only
    // when there are any) and the next free block.
    void finish(const RecordScan& scanAgain);

private:
    struct Span {
        std::uint32_t first;
        std::uint32_t blocks;
    };

    // cleared: repair clears the pointer.
    void problem(TableProblem::Kind kind, std::uint32_t physical, std::size_t field,
                 std::string what, bool cleared);
    void findOverlaps(const RecordScan& scanAgain);
    void checkNextFree();

    const MemoStore& m_memo;
    const TableHeader& m_header;
    std::vector<std::string> m_names;
    TableFindings& m_out;
    std::vector<std::size_t> m_memoFields;
    std::uint64_t m_fileBlocks = 0;
    // A few bytes per memo: sorted, they show which memos share blocks.
    std::vector<Span> m_spans;
    std::uint64_t m_usedEnd = 0;  // the block after the last one a memo takes
};

}  // namespace engine::dbf
