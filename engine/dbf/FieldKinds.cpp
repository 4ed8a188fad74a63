#include "engine/dbf/FieldKinds.h"

#include "engine/TableDefinition.h"
#include "engine/dbf/CodePage.h"
#include "engine/dbf/Dbase7Fields.h"
#include "engine/dbf/DbfFormat.h"
#include "engine/dbf/DbfHeader.h"
#include "engine/dbf/FieldCodec.h"
#include "engine/dbf/MemoStore.h"

#include <array>

namespace engine::dbf {

namespace {

using Shown = FieldKind::Shown;

// ---- Reading cells ----

CellProblem decodeText(const std::uint8_t* bytes, std::size_t width, const CellContext& context,
                       Value& out) {
    decodeCharacter(bytes, width, *context.codec, out);
    return CellProblem::None;
}

CellProblem decodeNumberCell(const std::uint8_t* bytes, std::size_t width, const CellContext&,
                             Value& out) {
    return decodeNumber(bytes, width, out) ? CellProblem::None : CellProblem::NotNumber;
}

CellProblem decodeLogicalCell(const std::uint8_t* bytes, std::size_t width, const CellContext&,
                              Value& out) {
    if (width == 0) {
        out.setNull();
        return CellProblem::None;
    }
    return decodeLogical(bytes[0], out) ? CellProblem::None : CellProblem::NotLogical;
}

CellProblem decodeDateCell(const std::uint8_t* bytes, std::size_t width, const CellContext&,
                           Value& out) {
    return decodeDate(bytes, width, out) ? CellProblem::None : CellProblem::NotDate;
}

// The bytes of the memo a cell points at, in *context.memoBytes (empty when there is none).
CellProblem readMemo(MemoPointer pointer, const std::uint8_t* bytes, std::size_t width,
                     const CellContext& context) {
    std::string& memo = *context.memoBytes;
    memo.clear();
    if (context.memo == nullptr) return CellProblem::None;
    std::uint32_t block = 0;
    if (!decodePointer(pointer, bytes, width, block)) return CellProblem::BadMemoPointer;
    if (block == 0) return CellProblem::None;
    switch (context.memo->read(block, memo)) {
        case MemoStore::ReadStatus::PastEnd:
            memo.clear();
            return CellProblem::MemoPastEnd;
        case MemoStore::ReadStatus::InHeader:
            memo.clear();
            return CellProblem::MemoInHeader;
        case MemoStore::ReadStatus::Cut:
            return CellProblem::MemoCut;
        case MemoStore::ReadStatus::NotIvStyle:
            return CellProblem::MemoNotIvStyle;
        case MemoStore::ReadStatus::LengthWithoutHeader:
            return CellProblem::MemoLengthWithoutHeader;
        case MemoStore::ReadStatus::Ok:
            break;
    }
    return CellProblem::None;
}

template <MemoPointer kPointer>
CellProblem decodeMemoText(const std::uint8_t* bytes, std::size_t width, const CellContext& context,
                           Value& out) {
    out.setNull();
    CellProblem problem = readMemo(kPointer, bytes, width, context);
    const std::string& memo = *context.memoBytes;
    if (!memo.empty()) {
        context.codec->decode(reinterpret_cast<const std::uint8_t*>(memo.data()), memo.size(),
                              out.assignText());
    }
    return problem;
}

template <MemoPointer kPointer>
CellProblem decodeMemoBinary(const std::uint8_t* bytes, std::size_t width,
                             const CellContext& context, Value& out) {
    out.setNull();
    CellProblem problem = readMemo(kPointer, bytes, width, context);
    if (!context.memoBytes->empty()) out.assignBinary() = *context.memoBytes;
    return problem;
}

CellProblem decodeUnread(const std::uint8_t*, std::size_t, const CellContext&, Value& out) {
    out.setNull();
    return CellProblem::None;
}

// ---- Checking values ----

bool prepareNumber(const FieldDescriptor& field, const CellContext&, const Value& in, Value& out,
                   std::string& reason) {
    if (!toNumberValue(in, out, reason)) return false;
    if (out.isNull()) return true;
    std::string text;
    if (!formatNumber(out, field.length, field.decimals, text, reason)) {
        reason += " (" + fieldTypeText(field.type, field.length, field.decimals) + ")";
        return false;
    }
    // The pending value is what will be stored, rounded to the field's decimals.
    decodeNumber(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), out);
    return true;
}

bool prepareLogical(const FieldDescriptor&, const CellContext&, const Value& in, Value& out,
                    std::string& reason) {
    return toLogicalValue(in, out, reason);
}

bool prepareDate(const FieldDescriptor&, const CellContext&, const Value& in, Value& out,
                 std::string& reason) {
    return toDateValue(in, out, reason);
}

// A caller's value as text (null when blank) and its bytes in the table's code page; false with
// the reason when a character has none.
bool textInCodePage(const CellContext& context, const Value& in, Value& out, std::string& bytes,
                    std::string& reason) {
    out = toTextValue(in);
    if (out.isNull() || out.asText().empty()) {
        out = Value();
        return true;
    }
    char32_t bad = 0;
    if (context.codec->encode(out.asText(), bytes, bad)) return true;
    reason = "the character " + describeCharacter(bad) +
             " does not exist in the table's code page " + *context.codePageName;
    return false;
}

bool prepareText(const FieldDescriptor& field, const CellContext& context, const Value& in,
                 Value& out, std::string& reason) {
    std::string bytes;
    if (!textInCodePage(context, in, out, bytes, reason)) return false;
    if (bytes.size() > static_cast<std::size_t>(field.length)) {
        reason = "it takes " + std::to_string(bytes.size()) + " bytes in code page " +
                 *context.codePageName + " and the field holds " + std::to_string(field.length);
        return false;
    }
    return true;
}

bool prepareMemoText(const FieldDescriptor&, const CellContext& context, const Value& in,
                     Value& out, std::string& reason) {
    std::string bytes;
    if (!textInCodePage(context, in, out, bytes, reason)) return false;
    if (context.memo != nullptr && !context.memo->canHold(bytes)) {
        reason = "dBASE III memos cannot hold the character U+001A";
        return false;
    }
    return true;
}

bool refuseBinary(const FieldDescriptor&, const CellContext&, const Value&, Value&,
                  std::string& reason) {
    reason = "the field holds binary data, which this program cannot change";
    return false;
}

// ---- Writing values ----

bool encodeNumberCell(const FieldDescriptor& field, const CellContext&, const Value& prepared,
                      std::string& out, std::string& reason) {
    if (prepared.isNull()) {
        out.assign(static_cast<std::size_t>(field.length), ' ');
        return true;
    }
    return formatNumber(prepared, field.length, field.decimals, out, reason);
}

bool encodeLogicalCell(const FieldDescriptor& field, const CellContext&, const Value& prepared,
                       std::string& out, std::string&) {
    out.assign(static_cast<std::size_t>(field.length), ' ');
    if (!prepared.isNull() && !out.empty()) out[0] = prepared.asBoolean() ? 'T' : 'F';
    return true;
}

bool encodeDateCell(const FieldDescriptor& field, const CellContext&, const Value& prepared,
                    std::string& out, std::string&) {
    out.assign(static_cast<std::size_t>(field.length), ' ');
    if (!prepared.isNull() && out.size() >= 8) {
        formatDate(prepared.asDate(), reinterpret_cast<std::uint8_t*>(out.data()));
    }
    return true;
}

bool encodeText(const FieldDescriptor& field, const CellContext& context, const Value& prepared,
                std::string& out, std::string& reason) {
    const auto width = static_cast<std::size_t>(field.length);
    out.clear();
    if (!prepared.isNull()) {
        char32_t bad = 0;
        if (!context.codec->encode(prepared.asText(), out, bad) || out.size() > width) {
            reason = "it does not fit the field";
            return false;
        }
    }
    out.resize(width, ' ');
    return true;
}

bool encodeRefused(const FieldDescriptor&, const CellContext&, const Value&, std::string&,
                   std::string& reason) {
    reason = "the field holds binary data, which this program cannot change";
    return false;
}

// ---- The table ----

constexpr int kAnyWidth = 0xFFFF;

// clang-format off
constexpr FieldKind kKinds[] = {
    // letter, dialects, shown as, widths, long length, new width, widest new (III),
    // shown, memo pointer, readable, decode, prepare, encode
    {'C', kDbaseIIIto5, FieldType::Character, 0, kAnyWidth, true, 0, kMaxCharacterWidth,
     kMaxCharacterWidth, Shown::Width, MemoPointer::None, true,
     decodeText, prepareText, encodeText},
    {'N', kDbaseIIIto5, FieldType::Numeric, 0, kAnyWidth, false, 0, kMaxNumericWidth,
     kMaxNumericWidthIII, Shown::WidthAndDecimals, MemoPointer::None, true,
     decodeNumberCell, prepareNumber, encodeNumberCell},
    {'F', kDbaseIIIto5, FieldType::Float, 0, kAnyWidth, false, 0, kMaxNumericWidth,
     kMaxNumericWidthIII, Shown::WidthAndDecimals, MemoPointer::None, true,
     decodeNumberCell, prepareNumber, encodeNumberCell},
    {'L', kDbaseIIIto5, FieldType::Logical, 0, kAnyWidth, false, kLogicalWidth, kLogicalWidth,
     kLogicalWidth, Shown::Letter, MemoPointer::None, true,
     decodeLogicalCell, prepareLogical, encodeLogicalCell},
    {'D', kDbaseIIIto5, FieldType::Date, 0, kAnyWidth, false, kDateWidth, kDateWidth, kDateWidth,
     Shown::Letter, MemoPointer::None, true,
     decodeDateCell, prepareDate, encodeDateCell},
    {'M', kDbaseIIIto5, FieldType::Memo, 0, kAnyWidth, false, kMemoWidth, kMemoWidth, kMemoWidth,
     Shown::Letter, MemoPointer::Digits, true,
     decodeMemoText<MemoPointer::Digits>, prepareMemoText, nullptr},
    {'B', kDbase5, FieldType::Binary, kMemoWidth, kMemoWidth, false, kMemoWidth, kMemoWidth,
     kMemoWidth, Shown::Letter, MemoPointer::Digits, false,
     decodeUnread, refuseBinary, encodeRefused},
    {'G', kDbase5, FieldType::General, kMemoWidth, kMemoWidth, false, kMemoWidth, kMemoWidth,
     kMemoWidth, Shown::Letter, MemoPointer::Digits, false,
     decodeUnread, refuseBinary, encodeRefused},
    // dBASE 7 (which also has dBASE IV's kinds above).
    {'I', kDbase7, FieldType::Integer, 4, 4, false, 4, 4, 4, Shown::Letter, MemoPointer::None,
     true, decodeDbase7Long, prepareDbase7Long, encodeDbase7Long},
    {'+', kDbase7, FieldType::Integer, 4, 4, false, 4, 4, 4, Shown::Letter, MemoPointer::None,
     true, decodeDbase7Long, prepareAutoincrement, encodeDbase7Long, true},
    {'O', kDbase7, FieldType::Double, 8, 8, false, 8, 8, 8, Shown::Letter, MemoPointer::None,
     true, decodeDbase7Double, prepareDbase7Double, encodeDbase7Double},
    {'@', kDbase7, FieldType::DateTime, 8, 8, false, 8, 8, 8, Shown::Letter, MemoPointer::None,
     true, decodeDbase7Timestamp, prepareDbase7Timestamp, encodeDbase7Timestamp},
    {'B', kDbase7, FieldType::Binary, kMemoWidth, kMemoWidth, false, kMemoWidth, kMemoWidth,
     kMemoWidth, Shown::Letter, MemoPointer::Digits, true,
     decodeMemoBinary<MemoPointer::Digits>, refuseBinary, encodeRefused},
    {'G', kDbase7, FieldType::General, kMemoWidth, kMemoWidth, false, kMemoWidth, kMemoWidth,
     kMemoWidth, Shown::Letter, MemoPointer::Digits, true,
     decodeMemoBinary<MemoPointer::Digits>, refuseBinary, encodeRefused},
};

constexpr std::array<NewFieldType, 6> kNewFieldTypes{{
    {kTypeBoolean, "Boolean", 'L', NewFieldType::Width::OfTheKind, 0, 0},
    {kTypeInteger, "Integer", 'N', NewFieldType::Width::Fixed, 6, 0},  // holds -32768
    {kTypeDouble, "Double", 'N', NewFieldType::Width::Widest, 0, 5},
    {kTypeDate, "Date", 'D', NewFieldType::Width::OfTheKind, 0, 0},
    {kTypeText, "Text", 'C', NewFieldType::Width::Caller, 0, 0},
    {kTypeMemo, "Memo", 'M', NewFieldType::Width::OfTheKind, 0, 0},
}};
// clang-format on

}  // namespace

const FieldKind* findFieldKind(char letter, Dialects dialects, int width) {
    for (const FieldKind& kind : kKinds) {
        if (kind.letter == letter && (kind.dialects & dialects) != 0 && width >= kind.minWidth &&
            width <= kind.maxWidth) {
            return &kind;
        }
    }
    return nullptr;
}

const FieldKind* findFieldKind(char letter) {
    for (const FieldKind& kind : kKinds) {
        if (kind.letter == letter) return &kind;
    }
    return nullptr;
}

std::string fieldTypeText(char letter, int length, int decimals) {
    std::string text(1, letter);
    const FieldKind* kind = findFieldKind(letter);
    switch (kind != nullptr ? kind->shown : Shown::Letter) {
        case Shown::Width:
            return text + "(" + std::to_string(length) + ")";
        case Shown::WidthAndDecimals:
            return text + "(" + std::to_string(length) + "," + std::to_string(decimals) + ")";
        case Shown::Letter:
            break;
    }
    return text;
}

bool decodePointer(MemoPointer pointer, const std::uint8_t* bytes, std::size_t width,
                   std::uint32_t& block) {
    switch (pointer) {
        case MemoPointer::Digits:
            return decodeMemoPointer(bytes, width, block);
        case MemoPointer::None:
            break;
    }
    return false;
}

bool encodePointer(MemoPointer pointer, std::uint32_t block, std::size_t width, std::string& out) {
    switch (pointer) {
        case MemoPointer::Digits: {
            std::string digits = block == 0 ? std::string() : std::to_string(block);
            if (digits.size() > width) return false;
            out.assign(width - digits.size(), ' ');
            out += digits;
            return true;
        }
        case MemoPointer::None:
            break;
    }
    return false;
}

const NewFieldType* findNewFieldType(std::int32_t code) {
    for (const NewFieldType& type : kNewFieldTypes) {
        if (type.code == code) return &type;
    }
    return nullptr;
}

std::string newFieldTypeList() {
    std::string text;
    for (std::size_t i = 0; i < kNewFieldTypes.size(); ++i) {
        if (i > 0) text += i + 1 == kNewFieldTypes.size() ? " or " : ", ";
        text += std::to_string(kNewFieldTypes[i].code) + " " + kNewFieldTypes[i].name;
    }
    return text;
}

NewFieldShape newFieldShape(const NewFieldType& type, int size, bool dbaseIII) {
    const FieldKind& kind = *findFieldKind(type.letter);
    switch (type.width) {
        case NewFieldType::Width::OfTheKind:
            return {type.letter, kind.newWidth, type.decimals};
        case NewFieldType::Width::Caller:
            return {type.letter, size, type.decimals};
        case NewFieldType::Width::Widest:
            return {type.letter, dbaseIII ? kind.maxNewWidthIII : kind.maxNewWidth, type.decimals};
        case NewFieldType::Width::Fixed:
            break;
    }
    return {type.letter, type.fixedWidth, type.decimals};
}

}  // namespace engine::dbf
