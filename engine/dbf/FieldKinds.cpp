#include "engine/dbf/FieldKinds.h"

#include "base/Endian.h"
#include "engine/dbf/CodePage.h"
#include "engine/dbf/Dbase7Fields.h"
#include "engine/dbf/DbfFormat.h"
#include "engine/dbf/DbfHeader.h"
#include "engine/dbf/FieldCodec.h"
#include "engine/dbf/FoxKinds.h"
#include "engine/dbf/MemoStore.h"

#include <algorithm>
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
constexpr Dialects kText = kDbaseIIIto5 | kFoxFamily;  // C N F L D
constexpr int kPointerWidth = 4;                       // Visual FoxPro's binary memo pointers
constexpr int kMaxVarWidth = 255;
constexpr KindTraits kBytes = kBinaryValue;
constexpr KindTraits kBinaryForm = kBinaryVariant | kBinaryValue;

namespace fox = foxkinds;

// clang-format off
constexpr FieldKind kKinds[] = {
    // letter, dialects, shown as, widths, long length, new width, widest new (III),
    // shown, memo pointer, readable, decode, prepare, encode
    {'C', kText, FieldType::Character, 0, kAnyWidth, true, 0, kMaxCharacterWidth,
     kMaxCharacterWidth, Shown::Width, MemoPointer::None, true,
     decodeText, prepareText, encodeText},
    {'N', kText, FieldType::Numeric, 0, kAnyWidth, false, 0, kMaxNumericWidth,
     kMaxNumericWidthIII, Shown::WidthAndDecimals, MemoPointer::None, true,
     decodeNumberCell, prepareNumber, encodeNumberCell},
    {'F', kText, FieldType::Float, 0, kAnyWidth, false, 0, kMaxNumericWidth,
     kMaxNumericWidthIII, Shown::WidthAndDecimals, MemoPointer::None, true,
     decodeNumberCell, prepareNumber, encodeNumberCell},
    {'L', kText, FieldType::Logical, 0, kAnyWidth, false, kLogicalWidth, kLogicalWidth,
     kLogicalWidth, Shown::Letter, MemoPointer::None, true,
     decodeLogicalCell, prepareLogical, encodeLogicalCell},
    {'D', kText, FieldType::Date, 0, kAnyWidth, false, kDateWidth, kDateWidth, kDateWidth,
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
     true, decodeDbase7Long, prepareAutoincrement, encodeDbase7Long, kCountsItself},
    {'O', kDbase7, FieldType::Double, 8, 8, false, 8, 8, 8, Shown::Letter, MemoPointer::None,
     true, decodeDbase7Double, prepareDbase7Double, encodeDbase7Double},
    {'@', kDbase7, FieldType::DateTime, 8, 8, false, 8, 8, 8, Shown::Letter, MemoPointer::None,
     true, decodeDbase7Timestamp, prepareDbase7Timestamp, encodeDbase7Timestamp},
    {'B', kDbase7, FieldType::Binary, kMemoWidth, kMemoWidth, false, kMemoWidth, kMemoWidth,
     kMemoWidth, Shown::Letter, MemoPointer::Digits, true,
     decodeMemoBinary<MemoPointer::Digits>, refuseBinary, encodeRefused, kBytes},
    {'G', kDbase7, FieldType::General, kMemoWidth, kMemoWidth, false, kMemoWidth, kMemoWidth,
     kMemoWidth, Shown::Letter, MemoPointer::Digits, true,
     decodeMemoBinary<MemoPointer::Digits>, refuseBinary, encodeRefused, kBytes},
    // FoxPro and Visual FoxPro. Memo pointers are ten digits or (in Visual FoxPro) four bytes,
    // decided by the width; C and M with the binary flag hold bytes. (V fields with the flag
    // hold text in every file seen: the flag only says it is not translated.)
    {'C', kVisualFoxPro, FieldType::Character, 0, kAnyWidth, true, 0, 0, 0, Shown::Width,
     MemoPointer::None, true, fox::decodeBytes, refuseBinary, fox::encodeBlankCharacters,
     kBinaryForm},
    {'M', kFoxFamily, FieldType::Memo, kPointerWidth, kPointerWidth, false, 0, 0, 0,
     Shown::Letter, MemoPointer::Binary, true,
     decodeMemoText<MemoPointer::Binary>, prepareMemoText, nullptr},
    {'M', kFoxFamily, FieldType::Memo, kMemoWidth, kMemoWidth, false, 0, 0, 0, Shown::Letter,
     MemoPointer::Digits, true, decodeMemoText<MemoPointer::Digits>, prepareMemoText, nullptr},
    {'M', kVisualFoxPro, FieldType::Memo, kPointerWidth, kPointerWidth, false, 0, 0, 0,
     Shown::Letter, MemoPointer::Binary, true, decodeMemoBinary<MemoPointer::Binary>,
     refuseBinary, nullptr, kBinaryForm},
    {'G', kFoxFamily, FieldType::General, kPointerWidth, kPointerWidth, false, 0, 0, 0,
     Shown::Letter, MemoPointer::Binary, true, decodeMemoBinary<MemoPointer::Binary>,
     refuseBinary, nullptr, kBytes},
    {'G', kFoxFamily, FieldType::General, kMemoWidth, kMemoWidth, false, 0, 0, 0, Shown::Letter,
     MemoPointer::Digits, true, decodeMemoBinary<MemoPointer::Digits>, refuseBinary, nullptr,
     kBytes},
    {'P', kFoxFamily, FieldType::Picture, kPointerWidth, kPointerWidth, false, 0, 0, 0,
     Shown::Letter, MemoPointer::Binary, true, decodeMemoBinary<MemoPointer::Binary>,
     refuseBinary, nullptr, kBytes},
    {'P', kFoxFamily, FieldType::Picture, kMemoWidth, kMemoWidth, false, 0, 0, 0, Shown::Letter,
     MemoPointer::Digits, true, decodeMemoBinary<MemoPointer::Digits>, refuseBinary, nullptr,
     kBytes},
    {'W', kVisualFoxPro, FieldType::Blob, kPointerWidth, kPointerWidth, false, 0, 0, 0,
     Shown::Letter, MemoPointer::Binary, true, decodeMemoBinary<MemoPointer::Binary>,
     refuseBinary, nullptr, kBytes},
    {'V', kVisualFoxPro, FieldType::Varchar, 1, kMaxVarWidth, false, 0, 0, 0, Shown::Width,
     MemoPointer::None, true, fox::decodeVarText, prepareText, fox::encodeVarText,
     kVariableLength},
    {'Q', kVisualFoxPro, FieldType::Varbinary, 1, kMaxVarWidth, false, 0, 0, 0, Shown::Width,
     MemoPointer::None, true, fox::decodeBytes, refuseBinary, fox::encodeBlankVarBytes,
     kBytes | kVariableLength},
    {'B', kVisualFoxPro, FieldType::Double, 8, 8, false, 0, 0, 0, Shown::Letter,
     MemoPointer::None, true, fox::decodeDouble, fox::prepareDouble, fox::encodeDouble},
    {'I', kVisualFoxPro, FieldType::Integer, 4, 4, false, 0, 0, 0, Shown::Letter,
     MemoPointer::None, true, fox::decodeInteger, fox::prepareInteger, fox::encodeInteger,
     kAutoIncrementable},
    {'Y', kVisualFoxPro, FieldType::Currency, 8, 8, false, 0, 0, 0, Shown::Letter,
     MemoPointer::None, true, fox::decodeCurrency, fox::prepareCurrency, fox::encodeCurrency},
    {'T', kVisualFoxPro, FieldType::DateTime, 8, 8, false, 0, 0, 0, Shown::Letter,
     MemoPointer::None, true, fox::decodeDateTime, fox::prepareDateTime, fox::encodeDateTime,
     kRoundedOnRead},
    // Visual FoxPro's null flags, a system field: shown (as bytes) only when not marked as one.
    {'0', kVisualFoxPro, FieldType::Binary, 1, kAnyWidth, false, 0, 0, 0, Shown::Letter,
     MemoPointer::None, true, fox::decodeBytes, refuseBinary, encodeRefused, kBytes},
};

constexpr FieldKind kUnknownKind{
    '?', kFoxFamily, FieldType::Binary, 0, kAnyWidth, false, 0, 0, 0, Shown::Width,
    MemoPointer::None, true, fox::decodeBytes, refuseBinary, encodeRefused, kBytes};

// clang-format on

}  // namespace

const FieldKind* findFieldKind(char letter, Dialects dialects, int width, bool binaryFlag) {
    // A binary variant when the flag asks for one and the letter has one, else the plain kind.
    for (bool variant : {true, false}) {
        if (variant && !binaryFlag) continue;
        for (const FieldKind& kind : kKinds) {
            if (kind.letter == letter && (kind.dialects & dialects) != 0 &&
                width >= kind.minWidth && width <= kind.maxWidth &&
                ((kind.traits & kBinaryVariant) != 0) == variant) {
                return &kind;
            }
        }
    }
    return nullptr;
}

const FieldKind& unknownFieldKind() { return kUnknownKind; }

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
        case MemoPointer::Binary:
            if (width != kPointerWidth) return false;
            // Four spaces, as some writers blank every field, mean no memo too.
            block = std::all_of(bytes, bytes + width, [](std::uint8_t b) { return b == ' '; })
                        ? 0
                        : base::loadLittle<std::uint32_t>(bytes);
            return true;
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
        case MemoPointer::Binary:
            if (width != kPointerWidth) return false;
            out.assign(width, '\0');
            base::storeLittle(reinterpret_cast<std::uint8_t*>(out.data()), block);
            return true;
        case MemoPointer::None:
            break;
    }
    return false;
}

}  // namespace engine::dbf
