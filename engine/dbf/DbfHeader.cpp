#include "engine/dbf/DbfHeader.h"

#include "base/AsciiCase.h"
#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/Value.h"
#include "engine/dbf/FieldKinds.h"

#include <algorithm>
#include <filesystem>

namespace engine::dbf {

namespace {

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    throw EngineError("Cannot open " + path + ": " + why + ".");
}

std::string printableName(const std::string& raw) {
    std::string out;
    for (char c : raw) {
        auto b = static_cast<unsigned char>(c);
        out.push_back(b >= 0x20 && b < 0x7F ? c : '?');
    }
    return out;
}

// Visual FoxPro: moves the system fields out of the fields shown, finds the null flags among
// them, and hands out their bits in field order: a length bit to every V and Q field, then a
// null bit to every nullable field (a nullable V or Q field gets both, length first). Marks the
// autoincrement fields.
void splitSystemFields(TableHeader& header, const std::string& name,
                       std::vector<Warning>& warnings) {
    std::vector<FieldDescriptor> shown;
    const FieldDescriptor* nullFlags = nullptr;
    for (FieldDescriptor& field : header.fields) {
        if ((field.flags & kFieldSystem) == 0) {
            field.autoincrement = (field.flags & kFieldAutoIncrement) != 0 &&
                                  (field.kind->traits & kAutoIncrementable) != 0;
            shown.push_back(std::move(field));
            continue;
        }
        header.hiddenFields.push_back(std::move(field));
        const FieldDescriptor& hidden = header.hiddenFields.back();
        if (nullFlags == nullptr && hidden.type == '0' &&
            base::equalsIgnoringCase(hidden.rawName, kNullFlagsName)) {
            nullFlags = &hidden;
        }
    }
    header.fields = std::move(shown);
    if (nullFlags != nullptr) {
        header.nullFlagsOffset = nullFlags->offset;
        header.nullFlagsSize = static_cast<std::size_t>(nullFlags->length);
    }
    const int available = static_cast<int>(header.nullFlagsSize * 8);
    int next = 0;
    bool lost = false;
    auto take = [&](int& bit) {
        if (next < available) {
            bit = next;
        } else {
            lost = true;
        }
        ++next;
    };
    for (FieldDescriptor& field : header.fields) {
        if ((field.kind->traits & kVariableLength) != 0) take(field.lengthBit);
        if ((field.flags & kFieldNullable) != 0) take(field.nullBit);
    }
    header.nullFlagsIncomplete = lost;
    if (lost) {
        warnings.push_back(
            {nullFlags == nullptr
                 ? "Some fields of " + name +
                       " are marked as holding null or varying lengths, but the table has no "
                       "_NullFlags field; they were read as always holding a value of full "
                       "length."
                 : "The _NullFlags field of " + name +
                       " has too few bits for its fields; those without one were read as always "
                       "holding a value of full length.",
             WarningSeverity::Important});
    }
}

}  // namespace

bool TableHeader::hasMemoFields() const {
    return std::any_of(fields.begin(), fields.end(), [](const FieldDescriptor& field) {
        return field.kind->pointer != MemoPointer::None;
    });
}

int displayYear(std::uint8_t yearByte) {
    if (yearByte >= 100) return 1900 + yearByte;
    return yearByte < 80 ? 2000 + yearByte : 1900 + yearByte;
}

std::size_t headerSpan(const std::uint8_t* first, std::size_t size) {
    if (size < kHeaderSize) return size;
    if (describeVersion(first[kOffsetVersion]).layout.form == HeaderForm::DbaseII) {
        return kDbaseIIHeaderLength;
    }
    return std::max<std::size_t>(kHeaderSize,
                                 base::loadLittle<std::uint16_t>(first + kOffsetHeaderLength));
}

namespace {

void readDate(TableHeader& header, std::uint8_t year, std::uint8_t month, std::uint8_t day) {
    DateTime updated;
    updated.year = displayYear(year);
    updated.month = month;
    updated.day = day;
    if (updated.isValid()) {
        header.updateYear = updated.year;
        header.updateMonth = updated.month;
        header.updateDay = updated.day;
    }
}

// Count, lengths, flags and date: where dBASE III to 7 keep them, or where dBASE II does.
void readFixedPart(const std::uint8_t* data, std::size_t size, const std::string& path,
                   TableHeader& header) {
    const HeaderLayout& layout = header.versionInfo.layout;
    if (layout.form == HeaderForm::DbaseII) {
        header.declaredCount = base::loadLittle<std::uint16_t>(data + kDbaseIIRecordCount);
        header.headerLength = kDbaseIIHeaderLength;
        header.recordLength = base::loadLittle<std::uint16_t>(data + kDbaseIIRecordLength);
        const std::uint8_t* date = data + kDbaseIIUpdateDate;  // month, day, year
        readDate(header, date[2], date[0], date[1]);
        return;
    }
    // Bytes 12-27 are reserved in FoxPro tables (other writers leave data there); only dBASE
    // marks transactions and encryption at 14 and 15.
    const bool dbaseFlags = (header.versionInfo.dialects & kFoxFamily) == 0;
    if (dbaseFlags && data[kOffsetEncryption] == 1) refuse(path, "the table is encrypted");
    header.declaredCount = base::loadLittle<std::uint32_t>(data + kOffsetRecordCount);
    header.headerLength = base::loadLittle<std::uint16_t>(data + kOffsetHeaderLength);
    header.recordLength = base::loadLittle<std::uint16_t>(data + kOffsetRecordLength);
    header.incompleteTransaction = dbaseFlags && data[kOffsetTransaction] == 1;
    header.tableFlags = data[kOffsetIndexFlag];
    header.indexFlag = (header.tableFlags & kTableFlagIndex) != 0;
    header.languageDriver = data[kOffsetLanguageDriver];
    const std::uint8_t* date = data + kOffsetUpdateDate;  // year, month, day
    readDate(header, date[0], date[1], date[2]);
    if (layout.driverNameAt != 0 && header.headerLength >= layout.fieldsStart &&
        size >= layout.driverNameAt + kDbase7DriverNameSize) {
        for (std::size_t i = 0; i < kDbase7DriverNameSize; ++i) {
            const std::uint8_t b = data[layout.driverNameAt + i];
            if (b == 0) break;
            header.languageDriverName.push_back(b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '?');
        }
    }
}

std::string typeText(char type) {
    if (type >= 0x21 && type < 0x7F) return std::string("'") + type + "'";
    return "byte " + std::to_string(static_cast<unsigned char>(type));
}

// Each field's kind from its letter and width, in the dialects of the table's version.
void findKinds(TableHeader& header, const std::vector<int>& rawLengths, const std::string& path,
               const std::string& name, std::vector<Warning>& warnings) {
    const bool dbaseII = header.versionInfo.layout.form == HeaderForm::DbaseII;
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        FieldDescriptor& field = header.fields[i];
        const char type = field.type;
        if (dbaseII && type != 'C' && type != 'N' && type != 'L') {
            refuse(path, "field " + printableName(field.rawName) + " has type " + typeText(type) +
                             ", which dBASE II tables do not have");
        }
        const Dialects dialects = header.versionInfo.dialects;
        field.kind =
            findFieldKind(type, dialects, rawLengths[i], (field.flags & kFieldBinary) != 0);
        if (field.kind == nullptr && type == '+' && (header.versionInfo.dialects & kDbase7) == 0) {
            // Some writers put dBASE 7's autoincrement fields in tables of other versions.
            field.kind = findFieldKind(type, kDbase7, rawLengths[i]);
            if (field.kind != nullptr) {
                header.foreignAutoincrement = true;
                // The opener says the table is then read-only.
                warnings.push_back({"Field " + printableName(field.rawName) + " of " + name +
                                        " is an autoincrement field ('+'), which its version (" +
                                        header.versionInfo.description +
                                        ") does not have; it was read as a dBASE 7 one.",
                                    WarningSeverity::Detail});
            }
        }
        if (field.kind != nullptr) {
            field.autoincrement = (field.kind->traits & kCountsItself) != 0;
            continue;
        }
        std::string what = "field " + printableName(field.rawName) + " has type " + typeText(type);
        if (findFieldKind(type) != nullptr) what += " of width " + std::to_string(rawLengths[i]);
        if ((dialects & kFoxFamily) != 0) {
            // FoxPro tables hold types of other programs too; their bytes are shown as they are.
            field.kind = &unknownFieldKind();
            if (header.unknownField.empty()) header.unknownField = what;
            continue;
        }
        what += " (from another program), which is not supported";
        refuse(path, what);
    }
}

}  // namespace

TableHeader parseHeader(const std::uint8_t* data, std::size_t size, std::uint64_t fileSize,
                        const std::string& path, std::vector<Warning>& warnings) {
    const std::string name = std::filesystem::path(path).filename().string();
    if (fileSize == 0) refuse(path, "the file is empty");
    if (size < kHeaderSize || fileSize < kHeaderSize) {
        refuse(path, "the file is too short to be a dBASE table");
    }
    static constexpr std::uint8_t kCompoundDocument[4] = {0xD0, 0xCF, 0x11, 0xE0};
    if (std::equal(kCompoundDocument, kCompoundDocument + 4, data)) {
        refuse(path, "it is a workbook or another compound document, not a dBASE table");
    }
    TableHeader header;
    header.version = data[kOffsetVersion];
    header.versionInfo = describeVersion(header.version);
    if (header.versionInfo.support == VersionSupport::Refused) {
        refuse(path, header.versionInfo.description);
    }
    const HeaderLayout& layout = header.versionInfo.layout;
    const bool dbaseII = layout.form == HeaderForm::DbaseII;
    readFixedPart(data, size, path, header);

    if (header.recordLength == 0) refuse(path, "its header gives a record length of 0");
    if (header.headerLength < layout.fieldsStart + 1) {
        refuse(path, "its header length (" + std::to_string(header.headerLength) +
                         " bytes) is too small for a dBASE table");
    }
    if (header.headerLength > fileSize || header.headerLength > size) {
        refuse(path, "the file ends inside its header (it may have been cut short)");
    }

    // Field descriptors: up to a 0x0D (or 0x0A) terminator, a descriptor starting with NUL, or
    // the header length, whichever comes first. dBASE II headers must end their field list with
    // 0x0D after at most 32 descriptors; a file without that mark is something else.
    const std::size_t limit = header.headerLength;
    std::size_t pos = layout.fieldsStart;
    bool terminated = false;
    std::vector<int> rawLengths, rawDecimals;
    while (pos < limit) {
        std::uint8_t first = data[pos];
        if (first == kFieldTerminator ||
            (!dbaseII && (first == kOldFieldTerminator || first == 0))) {
            if (first != kFieldTerminator) {
                warnings.push_back({"The field list in the header of " + name +
                                        " ends with an unusual mark; the table was read anyway.",
                                    WarningSeverity::Detail});
            }
            terminated = true;
            break;
        }
        if (pos + layout.descriptorSize > limit ||
            (dbaseII && header.fields.size() == kDbaseIIMaxFields)) {
            break;
        }
        const std::uint8_t* d = data + pos;
        FieldDescriptor field;
        for (std::size_t i = 0; i < layout.nameSize && d[i] != 0; ++i) {
            field.rawName.push_back(static_cast<char>(d[i]));
        }
        field.type = static_cast<char>(d[layout.typeAt]);
        field.descriptorAt = pos;
        if (layout.counterAt != 0) {
            field.nextAutoincrement = base::loadLittle<std::uint32_t>(d + layout.counterAt);
        }
        if (layout.fieldFlags) {
            field.flags = d[kDescriptorFlags];
            field.autoincrementStep = d[kDescriptorAutoStep];
        }
        rawLengths.push_back(d[layout.lengthAt]);
        rawDecimals.push_back(d[layout.decimalsAt]);
        header.fields.push_back(std::move(field));
        pos += layout.descriptorSize;
    }
    if (dbaseII && !terminated) {
        refuse(path,
               "its version byte says dBASE II, but its header does not have the layout "
               "of a dBASE II table");
    }
    if (!terminated) {
        warnings.push_back({"The field list in the header of " + name +
                                " has no end mark; the header length was used instead.",
                            WarningSeverity::Detail});
    } else if (layout.backlinkSize > 0) {
        for (std::size_t i = pos + 1; i < limit && i <= pos + layout.backlinkSize; ++i) {
            if (data[i] == 0) break;
            header.backlink.push_back(static_cast<char>(data[i]));
        }
    }
    if (terminated && layout.driverNameAt != 0) {
        header.properties =
            parseFieldProperties(data + pos + 1, limit - pos - 1, header.fields.size());
        for (std::size_t field : header.properties.required) header.fields[field].required = true;
    }
    findKinds(header, rawLengths, path, name, warnings);

    // Lengths: a character field's decimal byte may be the high byte of its length. Take the
    // reading whose total matches the record length.
    long plainSum = 1, longSum = 1;
    bool anyLong = false;
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        plainSum += rawLengths[i];
        bool wide = header.fields[i].kind->longLength && rawDecimals[i] != 0;
        anyLong = anyLong || wide;
        longSum += wide ? rawLengths[i] + 256 * rawDecimals[i] : rawLengths[i];
    }
    bool useLong = anyLong && longSum == header.recordLength && plainSum != header.recordLength;
    if (anyLong && longSum != header.recordLength && plainSum != header.recordLength) {
        warnings.push_back(
            {"Some character fields of " + name + " have a decimal count; it was ignored.",
             WarningSeverity::Detail});
    }
    std::size_t offset = 1;
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        FieldDescriptor& field = header.fields[i];
        bool wide = useLong && field.kind->longLength && rawDecimals[i] != 0;
        field.length = wide ? rawLengths[i] + 256 * rawDecimals[i] : rawLengths[i];
        field.decimals = field.kind->longLength ? 0 : rawDecimals[i];
        field.offset = offset;
        offset += static_cast<std::size_t>(field.length);
    }
    // A writer that left one byte out of the record length: when the records at the fields'
    // length fill the file, they are read at that length.
    if (offset == std::size_t{header.recordLength} + 1 &&
        header.headerLength + std::uint64_t{header.declaredCount} * offset <= fileSize) {
        // The opener says the table is then read-only.
        warnings.push_back({"The header of " + name + " gives records of " +
                                std::to_string(header.recordLength) + " bytes, one less than its " +
                                "fields need; they were read as " + std::to_string(offset) +
                                " bytes long.",
                            WarningSeverity::Detail});
        header.recordLength = static_cast<std::uint16_t>(offset);
        header.mendedRecordLength = true;
    }
    if (offset > header.recordLength) {
        refuse(path, "its fields need " + std::to_string(offset) + " bytes per record, but its " +
                         "header gives records of " + std::to_string(header.recordLength) +
                         " bytes");
    }
    if (offset < header.recordLength) {
        warnings.push_back({"The records of " + name + " are longer than its fields need; the " +
                                "extra bytes are ignored.",
                            WarningSeverity::Detail});
    }
    if (layout.fieldFlags) splitSystemFields(header, name, warnings);
    return header;
}

}  // namespace engine::dbf
