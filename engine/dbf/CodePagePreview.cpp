// The first values of a field as each usual code page reads them (engine/TableCodePage.h).
#include "engine/TableCodePage.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/MemoStore.h"
#include "engine/dbf/TableOpen.h"

#include <algorithm>
#include <optional>

namespace engine {

namespace {

using namespace dbf;

constexpr std::uint32_t kRecordsLooked = 10'000;

bool holdsText(const FieldKind& kind) {
    if (!kind.readable || (kind.traits & (kBinaryValue | kBinaryVariant)) != 0) return false;
    if (kind.pointer != MemoPointer::None) return kind.shownAs == FieldType::Memo;
    return kind.shownAs == FieldType::Character || kind.shownAs == FieldType::Varchar;
}

// The stored bytes of a text cell (a memo's text), without the padding.
std::optional<std::string> storedText(const OpenedTable& table, const FieldDescriptor& field,
                                      const std::uint8_t* record, std::string& memo) {
    const std::uint8_t* cell = record + field.offset;
    const auto width = static_cast<std::size_t>(field.length);
    if (field.kind->pointer != MemoPointer::None) {
        std::uint32_t block = 0;
        if (!table.memo || !decodePointer(field.kind->pointer, cell, width, block) || block == 0 ||
            table.memo->read(block, memo) != MemoStore::ReadStatus::Ok) {
            return std::nullopt;
        }
        return memo;
    }
    std::string bytes(reinterpret_cast<const char*>(cell), width);
    while (!bytes.empty() && (bytes.back() == ' ' || bytes.back() == '\0')) bytes.pop_back();
    return bytes;
}

}  // namespace

CodePagePreview previewCodePages(const std::string& tablePath, const std::string& encoding,
                                 int field, std::size_t count, const dbf::FileSystem* files) {
    DbfOpenOptions options;
    options.writable = false;
    options.encoding = encoding;
    options.fileSystem = files;
    const OpenedTable table = openTable(tablePath, options);
    const std::vector<FieldDescriptor>& fields = table.header.fields;
    std::optional<std::size_t> shown;
    if (field >= 0 && static_cast<std::size_t>(field) < fields.size() &&
        holdsText(*fields[static_cast<std::size_t>(field)].kind)) {
        shown = static_cast<std::size_t>(field);
    }
    for (std::size_t i = 0; !shown && i < fields.size(); ++i) {
        if (holdsText(*fields[i].kind)) shown = i;
    }

    // The values beyond ASCII first, then the others, in record order.
    std::vector<std::string> beyondAscii, plain;
    if (shown) {
        const FieldDescriptor& descriptor = fields[*shown];
        std::vector<std::uint8_t> record(table.header.recordLength);
        std::string memo;
        const std::uint32_t records = std::min(table.count, kRecordsLooked);
        for (std::uint32_t i = 0; i < records && beyondAscii.size() < count; ++i) {
            table.file->readExactly(
                table.header.headerLength + std::uint64_t{i} * table.header.recordLength,
                record.data(), record.size());
            if (record[0] == kDeletedFlag) continue;
            std::optional<std::string> bytes = storedText(table, descriptor, record.data(), memo);
            if (!bytes || bytes->empty()) continue;
            const bool ascii =
                std::all_of(bytes->begin(), bytes->end(), [](char c) { return (c & 0x80) == 0; });
            if (!ascii) {
                beyondAscii.push_back(*bytes);
            } else if (plain.size() < count) {
                plain.push_back(*bytes);
            }
        }
    }
    for (std::size_t i = 0; beyondAscii.size() < count && i < plain.size(); ++i) {
        beyondAscii.push_back(plain[i]);
    }

    CodePagePreview preview;
    if (shown) preview.field = table.fields[*shown].name;
    for (const CodePage& page : usualCodePages()) {
        CodePagePreview::Row row;
        row.name = page.name;
        row.encoding = userNameOf(page);
        row.current = page.converter == table.codePage.converter;
        const std::shared_ptr<const TextCodec> codec = TextCodec::get(page.converter);
        for (const std::string& bytes : beyondAscii) {
            std::string text;
            codec->decode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), text);
            row.values.push_back(std::move(text));
        }
        preview.rows.push_back(std::move(row));
    }
    return preview;
}

}  // namespace engine
