#include "engine/dbf/MemoCheck.h"

#include "engine/dbf/FieldKinds.h"

#include <algorithm>
#include <map>
#include <set>

namespace engine::dbf {

namespace {

using Kind = TableProblem::Kind;

// Overlaps beyond this many are counted, not named one by one.
constexpr std::size_t kMostOverlapsNamed = 100;

std::string shownBytes(const std::uint8_t* bytes, std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out.push_back(bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '?');
    }
    return out;
}

std::string blockRange(std::uint32_t first, std::uint32_t blocks) {
    if (blocks <= 1) return "block " + std::to_string(first);
    return "blocks " + std::to_string(first) + "-" + std::to_string(first + blocks - 1);
}

std::string blockCount(std::uint64_t blocks) {
    return std::to_string(blocks) + (blocks == 1 ? " block" : " blocks");
}

}  // namespace

MemoCheck::MemoCheck(const MemoStore& memo, const TableHeader& header,
                     std::vector<std::string> fieldNames, TableFindings& out)
    : m_memo(memo), m_header(header), m_names(std::move(fieldNames)), m_out(out) {
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        if (header.fields[i].kind->pointer != MemoPointer::None) m_memoFields.push_back(i);
    }
    m_fileBlocks = (memo.size() + memo.blockSize() - 1) / memo.blockSize();
}

void MemoCheck::problem(Kind kind, std::uint32_t physical, std::size_t field, std::string what,
                        bool cleared) {
    m_out.report.problems.push_back(
        {kind, "record " + std::to_string(physical + 1) + ", field " + m_names[field],
         std::move(what), cleared ? "clear the pointer" : "",
         cleared ? "cleared the pointer" : ""});
}

void MemoCheck::record(std::uint32_t physical, const std::uint8_t* bytes) {
    for (std::size_t field : m_memoFields) {
        const FieldDescriptor& descriptor = m_header.fields[field];
        const std::uint8_t* cell = bytes + descriptor.offset;
        const auto width = static_cast<std::size_t>(descriptor.length);
        std::uint32_t block = 0;
        std::string what;
        if (!decodePointer(descriptor.kind->pointer, cell, width, block)) {
            what = "its memo pointer \"" + shownBytes(cell, width) + "\" is not a block number";
        } else if (block == 0) {
            continue;
        } else {
            std::uint64_t blocks = 0;
            switch (m_memo.span(block, blocks)) {
                case MemoStore::ReadStatus::PastEnd:
                    what = "its memo pointer names block " + std::to_string(block) +
                           ", past the end of the memo file (" + blockCount(m_fileBlocks) + ")";
                    break;
                case MemoStore::ReadStatus::InHeader:
                    what = "its memo pointer names block " + std::to_string(block) +
                           ", inside the memo file's header";
                    break;
                case MemoStore::ReadStatus::Cut:
                    problem(Kind::MemoPointer, physical, field,
                            "its memo at block " + std::to_string(block) +
                                " runs past the end of the memo file",
                            false);
                    [[fallthrough]];
                default: {
                    const auto taken =
                        static_cast<std::uint32_t>(std::min<std::uint64_t>(blocks, 0xFFFF'FFFFu));
                    m_spans.push_back({block, taken});
                    m_usedEnd = std::max(m_usedEnd, std::uint64_t{block} + taken);
                    continue;
                }
            }
        }
        problem(Kind::MemoPointer, physical, field, std::move(what), true);
        m_out.mends.clearPointers.push_back({physical, static_cast<std::uint16_t>(field)});
    }
}

void MemoCheck::finish(const RecordScan& scanAgain) {
    findOverlaps(scanAgain);
    checkNextFree();
}

void MemoCheck::findOverlaps(const RecordScan& scanAgain) {
    std::sort(m_spans.begin(), m_spans.end(), [](const Span& a, const Span& b) {
        return a.first != b.first ? a.first < b.first : a.blocks > b.blocks;
    });
    std::vector<std::pair<Span, Span>> overlaps;
    std::size_t more = 0;
    std::uint64_t reach = 0;
    Span reacher{0, 0};
    for (const Span& span : m_spans) {
        if (span.first < reach) {
            if (overlaps.size() < kMostOverlapsNamed) {
                overlaps.emplace_back(reacher, span);
            } else {
                ++more;
            }
        }
        if (std::uint64_t{span.first} + span.blocks > reach) {
            reach = std::uint64_t{span.first} + span.blocks;
            reacher = span;
        }
    }
    if (overlaps.empty()) return;

    // Which records point at the memos named: a second pass, over those blocks only.
    std::set<std::uint32_t> wanted;
    for (const auto& [a, b] : overlaps) wanted.insert({a.first, b.first});
    std::map<std::uint32_t, std::vector<std::string>> pointers;
    scanAgain([&](std::uint32_t physical, const std::uint8_t* bytes) {
        for (std::size_t field : m_memoFields) {
            const FieldDescriptor& descriptor = m_header.fields[field];
            std::uint32_t block = 0;
            if (decodePointer(descriptor.kind->pointer, bytes + descriptor.offset,
                              static_cast<std::size_t>(descriptor.length), block) &&
                wanted.count(block) != 0) {
                pointers[block].push_back("record " + std::to_string(physical + 1) + ", field " +
                                          m_names[field]);
            }
        }
    });
    std::set<std::uint32_t> sharedTold;
    for (const auto& [a, b] : overlaps) {
        const std::vector<std::string>& first = pointers[a.first];
        const std::vector<std::string>& second = pointers[b.first];
        if (first.empty() || second.empty()) continue;
        if (a.first == b.first) {
            // Every record that shares the memo, in one problem.
            if (!sharedTold.insert(a.first).second) continue;
            std::string others;
            for (std::size_t i = 1; i < first.size(); ++i) others += (i > 1 ? "; " : "") + first[i];
            m_out.report.problems.push_back(
                {Kind::MemoOverlap,
                 first.front(),
                 "its memo (" + blockRange(a.first, a.blocks) + ") is also the memo of " + others,
                 {},
                 {}});
            continue;
        }
        m_out.report.problems.push_back({Kind::MemoOverlap,
                                         second.front(),
                                         "its memo (" + blockRange(b.first, b.blocks) +
                                             ") lies inside the memo of " + first.front() + " (" +
                                             blockRange(a.first, a.blocks) + ")",
                                         {},
                                         {}});
    }
    if (more > 0) {
        m_out.report.problems.push_back({Kind::MemoOverlap,
                                         "memo file",
                                         std::to_string(more) + " more memos overlap others",
                                         {},
                                         {}});
    }
}

void MemoCheck::checkNextFree() {
    const std::uint32_t nextFree = m_memo.nextFree();
    const std::uint64_t first = m_memo.firstBlock();
    const std::uint64_t target = std::max(m_fileBlocks, first);
    std::string what;
    if (nextFree < m_usedEnd) {
        what = "its header gives block " + std::to_string(nextFree) +
               " as the next free one, but memos take the blocks up to " +
               std::to_string(m_usedEnd - 1) + ": new memos would be written over them";
    } else if (nextFree < first) {
        what = "its header gives block " + std::to_string(nextFree) +
               " as the next free one, which lies inside the header";
    } else if (nextFree > m_fileBlocks) {
        what = "its header gives block " + std::to_string(nextFree) +
               " as the next free one, past the end of the file (" + blockCount(m_fileBlocks) + ")";
    } else {
        return;
    }
    m_out.report.problems.push_back({Kind::MemoNextFree, "memo file header", std::move(what),
                                     "set the next free block to " + std::to_string(target),
                                     "set the next free block to " + std::to_string(target)});
    m_out.mends.memoNextFree = static_cast<std::uint32_t>(target);
}

}  // namespace engine::dbf
