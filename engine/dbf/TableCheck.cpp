#include "engine/dbf/TableCheck.h"

#include "base/AsciiCase.h"
#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/MemoCheck.h"
#include "engine/dbf/TableOpen.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace engine::dbf {

namespace {

using Kind = TableProblem::Kind;

constexpr std::size_t kScanBytes = 1024 * 1024;
constexpr std::size_t kTailBytes = 64 * 1024;

std::string printable(const std::string& raw) {
    std::string out;
    for (char c : raw) {
        auto b = static_cast<unsigned char>(c);
        out.push_back(b >= 0x20 && b < 0x7F ? c : '?');
    }
    return out;
}

bool isFlag(std::uint8_t byte) { return byte == kLiveFlag || byte == kDeletedFlag; }

// Where the record length sits in the header, by its layout.
std::size_t recordLengthAt(const HeaderLayout& layout) {
    return layout.form == HeaderForm::DbaseII ? kDbaseIIRecordLength : kOffsetRecordLength;
}

// The bytes a record of these fields takes, its deletion flag included.
std::size_t fieldsLength(const TableHeader& header) {
    std::size_t end = 1;
    for (const auto* fields : {&header.fields, &header.hiddenFields}) {
        for (const FieldDescriptor& field : *fields) {
            end = std::max(end, field.offset + static_cast<std::size_t>(field.length));
        }
    }
    return end;
}

class Checker {
public:
    Checker(const std::string& path, const FileSystem& files, const Progress& progress,
            bool tableLocked, TableFindings& out)
        : m_path(path),
          m_files(files),
          m_progress(progress),
          m_tableLocked(tableLocked),
          m_out(out) {}

    void run();

private:
    // mend and mended: what repair does, and says it did ("" when it cannot mend it).
    void add(Kind kind, std::string where, std::string what, std::string mend = {},
             std::string mended = {}) {
        if (mended.empty()) mended = mend;
        m_out.report.problems.push_back(
            {kind, std::move(where), std::move(what), std::move(mend), std::move(mended)});
    }
    void readFile();
    bool parse();
    bool parseRefused(const EngineError& refusal);
    bool fits(std::uint64_t recordLength) const;
    void checkRecordLength(std::uint16_t stated);
    void checkDescriptors();
    void checkCount();
    void checkEnd();
    void scanRecords(const MemoCheck::RecordVisitor& visit);
    void checkRecords();
    void checkIndexFlag();
    std::string fieldName(std::size_t field) const;

    const std::string& m_path;
    const FileSystem& m_files;
    const Progress& m_progress;
    bool m_tableLocked;
    TableFindings& m_out;
    TableHeader& m_header = m_out.header;
    std::unique_ptr<File> m_file;
    std::uint64_t m_size = 0;
    std::vector<std::uint8_t> m_head;
    std::optional<OpenedTable> m_table;
    // Whether the records can be laid out, and how many the check covers (the count after the
    // mends).
    bool m_laidOut = false;
    std::uint32_t m_records = 0;
};

void Checker::run() {
    m_out.report.table = std::filesystem::path(m_path).filename().string();
    readFile();
    m_laidOut = parse();
    if (m_laidOut) {
        checkCount();
        checkEnd();
    }
    checkDescriptors();
    checkIndexFlag();
    if (m_laidOut) checkRecords();
    m_out.records = m_records;
    if (m_table) {
        m_out.report.repairRefused = m_table->ownReadOnlyReason;
    } else if (m_header.versionInfo.support == VersionSupport::ReadOnly) {
        m_out.report.repairRefused = "it is a " + m_header.versionInfo.description;
    }
}

void Checker::readFile() {
    m_file = m_files.open(m_path, File::Mode::ReadOnly);
    m_size = m_file->size();
    m_head.resize(kHeaderSize);
    m_head.resize(m_file->readAt(0, m_head.data(), m_head.size()));
    auto cannotCheck = [this](const std::string& why) {
        throw EngineError("Cannot check " + m_path + ": " + why + ".");
    };
    if (m_head.size() < kHeaderSize) cannotCheck("the file is too short to be a dBASE table");
    const VersionInfo version = describeVersion(m_head[kOffsetVersion]);
    if (version.support == VersionSupport::Refused) cannotCheck(version.description);
    const bool foxPro = (version.dialects & kFoxFamily) != 0;
    if (version.layout.form == HeaderForm::Standard && !foxPro && m_head[kOffsetEncryption] == 1) {
        cannotCheck("the table is encrypted");
    }
    const std::size_t span = headerSpan(m_head.data(), m_head.size());
    m_head.resize(static_cast<std::size_t>(std::min<std::uint64_t>(span, m_size)));
    m_head.resize(m_file->readAt(0, m_head.data(), m_head.size()));
}

bool Checker::fits(std::uint64_t recordLength) const {
    if (recordLength == 0 || m_size < m_header.headerLength) return false;
    const std::uint64_t data = m_size - m_header.headerLength;
    if (data % recordLength == 0) return true;
    std::uint8_t last = 0;
    return data % recordLength == 1 && m_file->readAt(m_size - 1, &last, 1) == 1 &&
           last == kEndOfFile;
}

bool Checker::parse() {
    std::vector<Warning> warnings;
    try {
        m_header = parseHeader(m_head.data(), m_head.size(), m_size, m_path, warnings);
    } catch (const EngineError& refusal) {
        return parseRefused(refusal);
    }
    const std::uint16_t stated = base::loadLittle<std::uint16_t>(
        m_head.data() + recordLengthAt(m_header.versionInfo.layout));
    checkRecordLength(stated);
    try {
        DbfOpenOptions options;
        options.writable = false;
        options.fileSystem = &m_files;
        options.waitOutAppend = !m_tableLocked;
        m_table = openTable(m_path, options);
    } catch (const EngineError&) {
        m_table.reset();
    }
    return true;
}

// A header the engine refuses: when it is only the record length that disagrees with the
// fields, the fields are read with any record length; otherwise the header is the problem.
bool Checker::parseRefused(const EngineError& refusal) {
    std::string why = refusal.what();
    const std::string prefix = "Cannot open " + m_path + ": ";
    if (why.rfind(prefix, 0) == 0) why.erase(0, prefix.size());
    if (!why.empty() && why.back() == '.') why.pop_back();
    const VersionInfo version = describeVersion(m_head[kOffsetVersion]);
    const std::size_t lengthAt = recordLengthAt(version.layout);
    const std::uint16_t stated = base::loadLittle<std::uint16_t>(m_head.data() + lengthAt);
    std::vector<std::uint8_t> patched = m_head;
    base::storeLittle<std::uint16_t>(patched.data() + lengthAt, 0xFFFF);
    std::vector<Warning> warnings;
    try {
        m_header = parseHeader(patched.data(), patched.size(), m_size, m_path, warnings);
    } catch (const EngineError&) {
        m_header = TableHeader();
        m_header.versionInfo = version;
        const std::uint16_t headerLength =
            base::loadLittle<std::uint16_t>(m_head.data() + kOffsetHeaderLength);
        const bool headerItself = version.layout.form == HeaderForm::Standard &&
                                  (headerLength <= version.layout.fieldsStart ||
                                   headerLength > m_size || headerLength > m_head.size());
        add(headerItself ? Kind::Header : Kind::FieldDescriptor, "header", why);
        return false;
    }
    m_header.recordLength = stated;
    checkRecordLength(stated);
    return m_header.recordLength == fieldsLength(m_header);
}

// The stated record length against the fields': mended where the file holds whole records of
// the fields' length and not of the stated one.
void Checker::checkRecordLength(std::uint16_t stated) {
    const std::size_t needed = fieldsLength(m_header);
    if (needed == stated) return;
    // A header one byte short is read at the fields' length already, when the file holds them.
    const bool mend =
        m_header.mendedRecordLength || (needed <= 0xFFFF && fits(needed) &&
                                        (!fits(stated) || m_size <= m_header.headerLength + 1u));
    std::string what = "it gives records of " + std::to_string(stated) + " bytes, but its " +
                       "fields take " + std::to_string(needed);
    if (needed < stated && !mend) {
        what += " (the other bytes of each record belong to no field)";
    } else if (!mend) {
        what += ", and the file does not hold whole records of either length";
    }
    add(Kind::RecordLength, "header", what,
        mend ? "set the record length to " + std::to_string(needed) : std::string());
    if (mend) {
        m_header.recordLength = static_cast<std::uint16_t>(needed);
        m_out.mends.recordLength = m_header.recordLength;
    }
}

std::string Checker::fieldName(std::size_t field) const {
    if (m_table && field < m_table->fields.size()) return m_table->fields[field].name;
    std::string name = printable(m_header.fields[field].rawName);
    return name.empty() ? "F" + std::to_string(field + 1) : name;
}

void Checker::checkDescriptors() {
    const std::vector<FieldDescriptor>& fields = m_header.fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDescriptor& field = fields[i];
        std::string name = field.rawName;
        while (!name.empty() && name.back() == ' ') name.pop_back();
        const std::string where =
            "field " + std::to_string(i + 1) + (name.empty() ? "" : " (" + printable(name) + ")");
        if (name.empty()) add(Kind::FieldDescriptor, where, "it has no name");
        if (std::any_of(name.begin(), name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
            add(Kind::FieldDescriptor, where, "its name holds control characters");
        }
        for (std::size_t j = 0; j < i && !name.empty(); ++j) {
            std::string other = fields[j].rawName;
            while (!other.empty() && other.back() == ' ') other.pop_back();
            if (base::equalsIgnoringCase(name, other)) {
                add(Kind::FieldDescriptor, where,
                    "its name is that of field " + std::to_string(j + 1));
                break;
            }
        }
        const FieldKind& kind = *field.kind;
        if (kind.newWidth > 0 && field.length != kind.newWidth) {
            add(Kind::FieldDescriptor, where,
                "it is " + std::to_string(field.length) + " bytes wide, but fields of type " +
                    field.type + " take " + std::to_string(kind.newWidth));
        } else if (field.length == 0) {
            add(Kind::FieldDescriptor, where, "it is 0 bytes wide");
        }
        if (kind.shown == FieldKind::Shown::WidthAndDecimals && field.length > 0 &&
            field.decimals >= field.length) {
            add(Kind::FieldDescriptor, where,
                "its " + fieldTypeText(field.type, field.length, field.decimals) +
                    " leaves no room for a digit before the decimals");
        }
    }
}

void Checker::checkCount() {
    const std::uint64_t headerLength = m_header.headerLength;
    const std::uint64_t recordLength = m_header.recordLength;
    const std::uint64_t declared = m_header.declaredCount;
    const std::uint64_t whole = (m_size - headerLength) / recordLength;
    if (declared > whole) {
        add(Kind::RecordCount, "header",
            "it counts " + std::to_string(declared) + " records, but the file holds only " +
                std::to_string(whole) + " whole records (it may have been cut short)",
            "set the count to " + std::to_string(whole));
        m_records = static_cast<std::uint32_t>(whole);
        m_out.mends.count = m_records;
        return;
    }
    // Whole records with a deletion flag after the counted ones: an append that was cut off
    // before the count was raised.
    std::uint64_t more = 0;
    const std::uint64_t perBlock = std::max<std::uint64_t>(1, kScanBytes / recordLength);
    std::vector<std::uint8_t> block;
    for (std::uint64_t first = declared; first < whole; first += perBlock) {
        const std::uint64_t count = std::min(perBlock, whole - first);
        block.resize(static_cast<std::size_t>(count * recordLength));
        m_file->readExactly(headerLength + first * recordLength, block.data(), block.size());
        std::uint64_t i = 0;
        while (i < count && isFlag(block[static_cast<std::size_t>(i * recordLength)])) ++i;
        more += i;
        if (i < count) break;
    }
    m_records = static_cast<std::uint32_t>(declared + more);
    if (more == 0) return;
    add(Kind::RecordCount, "header",
        "it counts " + std::to_string(declared) + " records, but " + std::to_string(more) +
            " more whole records follow them (records " + std::to_string(declared + 1) + " to " +
            std::to_string(m_records) + ")",
        "raise the count to " + std::to_string(m_records),
        "raised the count to " + std::to_string(m_records));
    m_out.mends.count = m_records;
}

void Checker::checkEnd() {
    const std::uint64_t end =
        m_header.headerLength + std::uint64_t{m_records} * m_header.recordLength;
    const std::uint64_t rest = m_size - end;
    std::vector<std::uint8_t> tail(
        static_cast<std::size_t>(std::min<std::uint64_t>(rest, kTailBytes)));
    tail.resize(m_file->readAt(end, tail.data(), tail.size()));
    const bool marksOnly =
        !tail.empty() && tail.size() == rest &&
        std::all_of(tail.begin(), tail.end(), [](std::uint8_t b) { return b == kEndOfFile; });
    if (marksOnly) return;
    const std::string bytes = std::to_string(rest) + " bytes";
    if (tail.empty()) {
        add(Kind::EndMark, "end of file", "there is no end-of-file mark after the last record",
            "write the end-of-file mark", "wrote the end-of-file mark");
    } else if (isFlag(tail[0]) && rest < m_header.recordLength) {
        add(Kind::PartialRecord, "record " + std::to_string(m_records + 1),
            "the file ends " + bytes + " into it: the record is incomplete",
            "cut it off and write the end-of-file mark",
            "cut it off and wrote the end-of-file mark");
    } else if (tail[0] == kEndOfFile) {
        add(Kind::EndMark, "end of file",
            std::to_string(rest - 1) + " bytes of other data follow the end-of-file mark",
            "cut them off");
    } else {
        const bool markLater = std::find(tail.begin(), tail.end(), kEndOfFile) != tail.end();
        add(Kind::EndMark, "end of file",
            bytes + " of other data follow the last record" +
                (markLater ? ", before the end-of-file mark" : ", and no end-of-file mark"),
            "cut them off and write the end-of-file mark",
            "cut them off and wrote the end-of-file mark");
    }
    m_out.mends.rewriteEnd = true;
    m_out.mends.endOfRecords = end;
}

void Checker::scanRecords(const MemoCheck::RecordVisitor& visit) {
    const std::uint64_t recordLength = m_header.recordLength;
    const std::uint64_t perBlock = std::max<std::uint64_t>(1, kScanBytes / recordLength);
    std::vector<std::uint8_t> block;
    for (std::uint64_t first = 0; first < m_records; first += perBlock) {
        const std::uint64_t count = std::min<std::uint64_t>(perBlock, m_records - first);
        block.resize(static_cast<std::size_t>(count * recordLength));
        m_file->readExactly(m_header.headerLength + first * recordLength, block.data(),
                            block.size());
        for (std::uint64_t i = 0; i < count; ++i) {
            visit(static_cast<std::uint32_t>(first + i),
                  block.data() + static_cast<std::size_t>(i * recordLength));
        }
        if (m_progress && !m_progress(static_cast<long>(first + count), m_records)) {
            throw EngineError("The check of " + m_path + " was cancelled.");
        }
    }
}

void Checker::checkRecords() {
    std::optional<MemoCheck> memo;
    if (m_header.hasMemoFields() && m_table) {
        if (m_table->memo) {
            std::vector<std::string> names;
            for (std::size_t i = 0; i < m_header.fields.size(); ++i) names.push_back(fieldName(i));
            memo.emplace(*m_table->memo, m_header, std::move(names), m_out);
            m_out.memoPath = m_table->memo->path();
        } else {
            const char* extension =
                m_header.versionInfo.memoStyle == MemoStyle::Fpt ? ".fpt" : ".dbt";
            const std::string memoName = std::filesystem::path(m_path).stem().string() + extension;
            add(Kind::MemoFile, "memo file",
                m_files.findCompanion(m_path, extension)
                    ? "the memo file " + memoName + " cannot be read: memos were not checked"
                    : "the memo file " + memoName + " is missing: memos were not checked");
        }
    }
    std::uint32_t endMarks = 0, firstMark = 0;
    scanRecords([&](std::uint32_t physical, const std::uint8_t* record) {
        if (record[0] == kEndOfFile && endMarks++ == 0) firstMark = physical;
        if (memo) memo->record(physical, record);
    });
    if (endMarks > 0) {
        add(Kind::EndMark, "record " + std::to_string(firstMark + 1),
            "an end-of-file mark stands in place of its deletion flag" +
                (endMarks > 1 ? " (and of " + std::to_string(endMarks - 1) + " records after it)"
                              : std::string()));
    }
    if (memo) memo->finish([this](const MemoCheck::RecordVisitor& visit) { scanRecords(visit); });
}

// FoxPro's flag names a structural .cdx, dBASE's a production .mdx.
void Checker::checkIndexFlag() {
    const bool foxPro = (m_header.versionInfo.dialects & kFoxFamily) != 0;
    const char* extension = foxPro ? ".cdx" : ".mdx";
    if (!m_header.indexFlag || m_files.findCompanion(m_path, extension)) return;
    add(Kind::IndexFlag, "header",
        std::string("it says the table has a ") + (foxPro ? "structural" : "production") +
            " index (" + std::filesystem::path(m_path).stem().string() + extension +
            "), but there is none",
        "clear the flag", "cleared the flag");
    m_out.mends.clearIndexFlag = true;
}

}  // namespace

TableFindings findTableProblems(const std::string& path, const FileSystem& files,
                                const Progress& progress, bool tableLocked) {
    TableFindings findings;
    Checker(path, files, progress, tableLocked, findings).run();
    return findings;
}

}  // namespace engine::dbf
