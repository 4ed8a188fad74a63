#include "engine/dbf/TableOpen.h"

#include "base/AsciiCase.h"
#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/TableEnding.h"
#include "engine/dbf/TableReplacement.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace engine::dbf {

namespace {

// The steps of opening, each adding to the table what it finds.
class Opener {
public:
    Opener(OpenedTable& table, const DbfOpenOptions& options)
        : m_table(table),
          m_options(options),
          m_files(options.fileSystem != nullptr ? *options.fileSystem : diskFileSystem()) {}

    void run(const std::string& path);

private:
    // own: the reason is the table's own (its version, an index this program does not keep, ...),
    // not damage or the file's access, so the tools refuse it too.
    void makeReadOnly(const std::string& reason, const std::string& warning, bool own = false);
    void openFile(const std::string& path);
    void readHeader();
    void checkVersionAndFlags();
    void chooseCodePage();
    void checkFoxProParts();
    void chooseOwnCodePage();
    void buildFieldInfos();
    void reconcileCount();
    void openMemoFile();

    OpenedTable& m_table;
    const DbfOpenOptions& m_options;
    const FileSystem& m_files;
    bool m_openWritable = false;
    std::uint64_t m_fileSize = 0;
};

void Opener::run(const std::string& path) {
    m_table.path = path;
    m_table.name = std::filesystem::path(path).filename().string();
    m_table.warnings = TableWarnings(m_table.name);
    m_table.writable = m_options.writable;
    openFile(path);
    readHeader();
    checkVersionAndFlags();
    chooseCodePage();
    checkFoxProParts();
    buildFieldInfos();
    reconcileCount();
    if (m_table.header.hasMemoFields()) openMemoFile();
}

void Opener::makeReadOnly(const std::string& reason, const std::string& warning, bool own) {
    if (m_table.readOnlyReason.empty()) m_table.readOnlyReason = reason;
    if (own && m_table.ownReadOnlyReason.empty()) m_table.ownReadOnlyReason = reason;
    m_table.writable = false;
    m_table.warnings.add(warning, WarningSeverity::Important);
}

void Opener::openFile(const std::string& path) {
    if (!m_files.exists(path)) finishInterruptedReplacement(m_files, path);
    m_openWritable = m_options.writable;
    if (int error = m_openWritable ? m_files.writeAccess(path) : 0; error != 0 && error != ENOENT) {
        m_openWritable = false;
        makeReadOnly(
            "the file cannot be written (" + errorText(error) + ")",
            m_table.name + " cannot be written (" + errorText(error) + "); it is open read-only.");
    }
    m_table.file =
        m_files.open(path, m_openWritable ? File::Mode::ReadWrite : File::Mode::ReadOnly);
    if (m_openWritable && !m_table.file->lockWaiting(kOpenLockOffset, 1, File::LockKind::Shared)) {
        makeReadOnly("another program is rewriting it",
                     m_table.name +
                         " is being rewritten by another program; it is open "
                         "read-only.");
    }
}

void Opener::readHeader() {
    File& file = *m_table.file;
    m_fileSize = file.size();
    std::vector<std::uint8_t> head(kHeaderSize);
    std::size_t got = file.readAt(0, head.data(), head.size());
    if (std::size_t span = headerSpan(head.data(), got); span > got) {
        head.resize(static_cast<std::size_t>(std::min<std::uint64_t>(span, m_fileSize)));
        got = file.readAt(0, head.data(), head.size());
    }
    std::vector<Warning> warnings;
    m_table.header = parseHeader(head.data(), got, m_fileSize, m_table.path, warnings);
    for (Warning& warning : warnings) m_table.warnings.add(std::move(warning));
}

void Opener::checkVersionAndFlags() {
    const TableHeader& header = m_table.header;
    const std::string& name = m_table.name;
    if (header.versionInfo.support == VersionSupport::ReadOnly) {
        makeReadOnly("it is a " + header.versionInfo.description,
                     name + " is a " + header.versionInfo.description +
                         ", which this program opens read-only.",
                     true);
    } else if (header.version == 0x7B) {
        m_table.warnings.add(name +
                                 " has the unusual version byte 0x7B; it was read as a dBASE IV "
                                 "table with memo.",
                             WarningSeverity::Detail);
    }
    if (header.incompleteTransaction) {
        makeReadOnly("an unfinished transaction is marked in its header",
                     "The header of " + name +
                         " marks an unfinished transaction; the table is open read-only.",
                     true);
    }
    const FieldProperties& properties = header.properties;
    if (properties.unreadable) {
        makeReadOnly("its field properties cannot be read",
                     "The field properties in the header of " + name +
                         " cannot be read; the table is open read-only.",
                     true);
    } else if (properties.rules > 0 || properties.constraints > 0) {
        makeReadOnly("it has field properties (" +
                         std::string(properties.rules > 0 ? "referential-integrity rules"
                                                          : "value constraints or defaults") +
                         ") that this program does not keep",
                     name +
                         " has field properties (referential-integrity rules, value "
                         "constraints or defaults) that this program does not keep; the "
                         "table is open read-only.",
                     true);
    }
    if (header.mendedRecordLength) {
        makeReadOnly("its header's record length is one byte short of its fields",
                     "The table " + name +
                         " is open read-only, since its header gives the "
                         "wrong record length.");
    }
    if (header.foreignAutoincrement) {
        makeReadOnly("it has an autoincrement field whose counter its version cannot keep",
                     "The table " + name +
                         " is open read-only, since it has an autoincrement "
                         "field whose counter its version cannot keep.",
                     true);
    }
    std::optional<std::string> mdx = m_files.findCompanion(m_table.path, ".mdx");
    std::optional<std::string> cdx = m_files.findCompanion(m_table.path, ".cdx");
    if (cdx || mdx)
        m_table.indexFile = std::filesystem::path(cdx ? *cdx : *mdx).filename().string();
    if (header.indexFlag && mdx) {
        makeReadOnly("it has a production index (.mdx) that writing would make stale",
                     name +
                         " has a production index (.mdx) that this program does not maintain; "
                         "the table is open read-only so that the index stays valid.",
                     true);
    }
    // FoxPro opens a structural index whenever the header says there is one, and looks for a
    // same-named .cdx beside any table.
    const bool foxPro = (header.versionInfo.dialects & kFoxFamily) != 0;
    if ((foxPro && header.indexFlag) || cdx) {
        // A flag without its index is damage that repair mends, not a reason of the table's.
        makeReadOnly("it has a structural index (.cdx) that writing would make stale",
                     name +
                         " has a structural index (.cdx) that this program does not maintain; "
                         "the table is open read-only so that the index stays valid.",
                     cdx.has_value());
    }
}

void Opener::checkFoxProParts() {
    const TableHeader& header = m_table.header;
    const std::string& name = m_table.name;
    if (!header.unknownField.empty()) {
        makeReadOnly("it has fields of types this program does not know",
                     "In " + name + ", " + header.unknownField +
                         ", which this program does not know: its bytes are shown as they are "
                         "and the table is open read-only.",
                     true);
    }
    if (header.nullFlagsIncomplete) {
        makeReadOnly("its null flags do not cover its fields",
                     name + " is open read-only because its null flags do not cover its fields.",
                     true);
    }
    if (!header.backlink.empty()) {
        m_table.codec->decode(reinterpret_cast<const std::uint8_t*>(header.backlink.data()),
                              header.backlink.size(), m_table.backlink);
        // The container holds the table's validation rules, triggers and relations, which a
        // write that bypasses it would not apply.
        makeReadOnly("it belongs to the database " + m_table.backlink +
                         ", whose rules this program does not apply",
                     name + " belongs to the database " + m_table.backlink +
                         " (its rules, triggers and relations live there, and this program does "
                         "not apply them); the table is open read-only.",
                     true);
    }
}

// The code page the table names itself (after an override and a .cpg file): a dBASE 7 driver
// name, a language driver byte, or the default.
void Opener::chooseOwnCodePage() {
    const std::string& driverName = m_table.header.languageDriverName;
    const std::uint8_t driver = m_table.header.languageDriver;
    CodePage& page = m_table.codePage;
    std::string& source = m_table.codePageSource;
    if (auto named = codePageForDriverName(driverName)) {
        page = *named;
        source = "from the language driver name " + driverName;
    } else if (auto byte = codePageForLanguageDriver(driver)) {
        page = *byte;
        source = "from the language driver byte " + hexByte(driver);
    } else if (m_table.header.versionInfo.layout.form == HeaderForm::DbaseII) {
        page = codePageNumbered(437);
        source = "the default for dBASE II tables";
    } else {
        page = defaultCodePage();
        source = "the default";
        if (!driverName.empty()) {
            m_table.warnings.add("The language driver of " + m_table.name + " (" + driverName +
                                     ") names no code page this program knows; text is read as "
                                     "code page " +
                                     page.name + " unless another encoding is chosen.",
                                 WarningSeverity::Important);
        } else if (driver != 0) {
            m_table.warnings.add(
                "The language driver byte of " + m_table.name + " (" + hexByte(driver) +
                    ") names no known code page; text is read as code page " + page.name + ".",
                WarningSeverity::Important);
        }
    }
}

void Opener::chooseCodePage() {
    CodePage& page = m_table.codePage;
    std::string& source = m_table.codePageSource;
    if (!m_options.encoding.empty()) {
        page = codePageFromUserName(m_options.encoding);
        source = "chosen when opening";
    } else if (auto cpg = m_files.findCompanion(m_table.path, ".cpg")) {
        std::string text(256, '\0');
        try {
            text.resize(
                m_files.open(*cpg, File::Mode::ReadOnly)->readAt(0, text.data(), text.size()));
        } catch (const EngineError&) {
            text.clear();
        }
        if (auto named = codePageFromCpg(text)) {
            page = *named;
            source = "from the .cpg file";
        } else {
            m_table.warnings.add("The .cpg file of " + m_table.name +
                                     " names no code page this program knows; it was ignored.",
                                 WarningSeverity::Important);
        }
    }
    if (source.empty()) chooseOwnCodePage();
    std::string converter = page.converter;
    if (converter.empty()) {
        converter = page.number >= 10000 ? "MACINTOSH" : "CP437";
        makeReadOnly("its code page " + page.name + " cannot be converted here",
                     "Code page " + page.name + " of " + m_table.name +
                         " cannot be converted here; its text is shown as code page " + converter +
                         " (some letters will be wrong) and the table is open read-only.");
    }
    m_table.codec = TextCodec::get(converter);
}

void Opener::buildFieldInfos() {
    std::vector<FieldInfo>& fields = m_table.fields;
    for (std::size_t i = 0; i < m_table.header.fields.size(); ++i) {
        const FieldDescriptor& descriptor = m_table.header.fields[i];
        FieldInfo info;
        m_table.codec->decode(reinterpret_cast<const std::uint8_t*>(descriptor.rawName.data()),
                              descriptor.rawName.size(), info.name);
        while (!info.name.empty() && info.name.back() == ' ') info.name.pop_back();
        if (info.name.empty()) info.name = "F" + std::to_string(i + 1);
        // Duplicates get a suffix so that every field can be named.
        std::string base = info.name;
        for (int n = 2;; ++n) {
            bool taken = std::any_of(fields.begin(), fields.end(), [&](const FieldInfo& other) {
                return base::equalsIgnoringCase(other.name, info.name);
            });
            if (!taken) break;
            info.name = base + "_" + std::to_string(n);
        }
        info.typeLetter = descriptor.type;
        info.type = descriptor.kind->shownAs;
        info.length = descriptor.length;
        info.decimals = descriptor.decimals;
        info.available = descriptor.kind->readable;
        info.binary = (descriptor.kind->traits & kBinaryValue) != 0;
        info.nullable = descriptor.nullBit >= 0;
        info.autoIncrement = descriptor.autoincrement;
        // A table that keeps no counter (a dBASE 7 field in an older table) says 0 and 0.
        const bool counted = m_table.header.versionInfo.layout.counterAt != 0;
        info.autoIncrementNext = counted ? descriptor.nextAutoincrement : 0;
        info.autoIncrementStep = counted ? descriptor.autoincrementStep : 0;
        // Counters the table keeps and binary data are never typed in.
        info.editable = !info.binary && !descriptor.autoincrement &&
                        info.type != FieldType::Binary && info.type != FieldType::General;
        fields.push_back(std::move(info));
    }
}

void Opener::reconcileCount() {
    TableHeader& header = m_table.header;
    TableEnding ending =
        readTableEnding(*m_table.file, header, m_fileSize, m_options.waitOutAppend);
    header.declaredCount = ending.declared;
    m_fileSize = ending.fileSize;
    const std::string& name = m_table.name;
    const std::uint64_t headerLength = header.headerLength;
    const std::uint64_t recordLength = header.recordLength;
    const std::uint64_t declared = header.declaredCount;
    const std::uint64_t present =
        m_fileSize > headerLength ? (m_fileSize - headerLength) / recordLength : 0;
    if (declared > present) {
        m_table.count = static_cast<std::uint32_t>(present);
        makeReadOnly("the file is shorter than its header says",
                     name + " is shorter than its header says (" + std::to_string(declared) +
                         " records stated, " + std::to_string(present) +
                         " present); it may have been cut short. The records present are "
                         "shown and the table is open read-only.");
        return;
    }
    m_table.count = static_cast<std::uint32_t>(declared);
    std::uint64_t end = headerLength + declared * recordLength;
    if (end >= m_fileSize) {
        m_table.warnings.add(name + " has no end-of-file mark after its last record.",
                             WarningSeverity::Detail);
        return;
    }
    const std::vector<std::uint8_t>& tail = ending.tail;
    if (ending.agrees(header)) return;
    bool moreRecords =
        present > declared && !tail.empty() && (tail[0] == kLiveFlag || tail[0] == kDeletedFlag);
    if (moreRecords && declared == 0) {
        m_table.count = static_cast<std::uint32_t>(present);
        makeReadOnly("its header's record count is 0 although it holds records",
                     "The header of " + name + " says it holds no records, but the file holds " +
                         std::to_string(present) +
                         "; they are shown and the table is open read-only.");
    } else if (moreRecords) {
        m_table.warnings.add(name + " holds more records than its header counts (perhaps " +
                                 "from an interrupted append); only the " +
                                 std::to_string(declared) + " counted are shown.",
                             WarningSeverity::Important);
    } else {
        m_table.warnings.add(name + " has data after its last record; it was ignored.",
                             WarningSeverity::Detail);
    }
}

void Opener::openMemoFile() {
    // FoxPro tables keep their memos in .fpt files; a table whose version byte names no memo
    // style (0x03) may be either program's.
    const MemoStyle style = m_table.header.versionInfo.memoStyle;
    const char* extension = style == MemoStyle::Fpt ? ".fpt" : ".dbt";
    std::optional<std::string> memoPath = m_files.findCompanion(m_table.path, extension);
    bool fpt = style == MemoStyle::Fpt;
    if (!memoPath && style == MemoStyle::None) {
        memoPath = m_files.findCompanion(m_table.path, ".fpt");
        fpt = memoPath.has_value();
    }
    auto markUnavailable = [this] {
        for (std::size_t i = 0; i < m_table.fields.size(); ++i) {
            const FieldKind& kind = *m_table.header.fields[i].kind;
            if (kind.pointer != MemoPointer::None) m_table.fields[i].available = false;
        }
    };
    if (!memoPath) {
        markUnavailable();
        makeReadOnly("its memo file is missing",
                     "The memo file of " + m_table.name + " (" +
                         std::filesystem::path(m_table.path).stem().string() + extension +
                         ") is missing: memo fields are shown empty and the table is open "
                         "read-only.");
        return;
    }
    bool memoWritable = m_openWritable && m_table.writable && m_files.writeAccess(*memoPath) == 0;
    try {
        auto file =
            m_files.open(*memoPath, memoWritable ? File::Mode::ReadWrite : File::Mode::ReadOnly);
        m_table.memo = fpt ? openFptMemo(std::move(file)) : openDbtMemo(std::move(file), style);
    } catch (const EngineError& error) {
        markUnavailable();
        makeReadOnly("its memo file cannot be read",
                     std::string(error.what()) +
                         " Memo fields are shown empty and the table is open read-only.");
        return;
    }
    if (std::string doubt = m_table.memo->doubt(); !doubt.empty()) {
        makeReadOnly("its memo file is unusual (" + doubt + ")",
                     "The memo file " + *memoPath + " is unusual (" + doubt +
                         "); it was read as well as it could be and the table is open "
                         "read-only.",
                     true);
    } else if (!memoWritable && m_table.writable) {
        makeReadOnly(
            "its memo file cannot be written",
            "The memo file " + *memoPath + " cannot be written; the table is open " + "read-only.");
    }
}

}  // namespace

OpenedTable openTable(const std::string& path, const DbfOpenOptions& options) {
    OpenedTable table;
    Opener(table, options).run(path);
    return table;
}

}  // namespace engine::dbf
