// The kinds of field a table can hold, one row per type letter: which dialects have it, how it
// shows to callers, which widths it may take, how a record points at its memo, and the three
// functions that read a cell, check a caller's value and write a checked value. Everything
// else that depends on a field's type asks this table; a new type is one more row.
#pragma once

#include "engine/FieldInfo.h"
#include "engine/Value.h"
#include "engine/dbf/DbfFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace engine::dbf {

class MemoStore;
class TextCodec;
struct FieldDescriptor;

// How a record holds the number of a memo's first block.
enum class MemoPointer {
    None,    // not a memo field
    Digits,  // ASCII digits, right-aligned, padded with spaces (or zeros)
    Binary,  // a uint32 LE (Visual FoxPro)
};

// What a cell held that its type does not allow; the table words the warning.
enum class CellProblem {
    None,
    NotNumber,
    NotLogical,
    NotDate,
    NotDateTime,
    BadMemoPointer,
    MemoPastEnd,
    MemoInHeader,
    MemoCut,
    MemoNotIvStyle,
    MemoLengthWithoutHeader,
};

// What the functions of a kind need of the table.
struct CellContext {
    const TextCodec* codec = nullptr;
    const std::string* codePageName = nullptr;  // "1252 (Windows ANSI)", for refusals
    const MemoStore* memo = nullptr;            // null: no memo file, or one that cannot be read
    std::string* memoBytes = nullptr;           // a buffer for reading memos
};

// What else a kind is, as bits of FieldKind::traits.
using KindTraits = std::uint8_t;
// The kind is the form of its letter for fields with Visual FoxPro's binary flag (and only for
// those).
inline constexpr KindTraits kBinaryVariant = 1 << 0;
// Its values are bytes, not text: shown by their size, never changed by this program.
inline constexpr KindTraits kBinaryValue = 1 << 1;
// A value shorter than the field keeps its length in the field's last byte and sets a length
// bit in the null flags (V, Q). Its encode gives the value's own bytes, at most the width.
inline constexpr KindTraits kVariableLength = 1 << 2;
// Reading rounds what is stored (T to the second): assigning the value read keeps the bytes.
inline constexpr KindTraits kRoundedOnRead = 1 << 3;
// The field may be an autoincrement field (Visual FoxPro's I, when its flags say so).
inline constexpr KindTraits kAutoIncrementable = 1 << 4;
// The table always numbers such fields itself (dBASE 7 '+'): callers never assign them.
inline constexpr KindTraits kCountsItself = 1 << 5;

struct FieldKind {
    char letter;
    Dialects dialects;  // the dialects that have it
    FieldType shownAs;
    // The widths (bytes in the record) a field of this kind may have in a table.
    int minWidth;
    int maxWidth;
    // Its decimal byte is the high byte of its length when the record length says so (the long
    // character fields of some writers).
    bool longLength;
    // The width a new field of this kind gets (0: the caller's), and the widest a new one may be
    // (in a dBASE III table: maxNewWidthIII).
    int newWidth;
    int maxNewWidth;
    int maxNewWidthIII;
    // How the table-information command shows it: the letter, "C(10)" or "N(8,2)".
    enum class Shown { Letter, Width, WidthAndDecimals } shown;
    MemoPointer pointer;
    // False for kinds recognised but not read (their cells read as null, writes are refused).
    bool readable;

    // Reads a cell of width bytes into out; a cell that is not what the kind says reads as null
    // (or as far as it goes) and names its problem.
    CellProblem (*decode)(const std::uint8_t* bytes, std::size_t width, const CellContext& context,
                          Value& out);
    // Converts a caller's value into what the field will hold (text parsed as number, date or
    // logical; blank text to null). Returns false with the reason when it cannot be stored.
    bool (*prepare)(const FieldDescriptor& field, const CellContext& context, const Value& in,
                    Value& out, std::string& reason);
    // The bytes a prepared value takes in the record, exactly the field's width (null: blank).
    // Null for memo fields, which the table writes by storing the memo and then its pointer.
    bool (*encode)(const FieldDescriptor& field, const CellContext& context, const Value& prepared,
                   std::string& out, std::string& reason);
    KindTraits traits = 0;
};

// The kind of a field of a table of those dialects with that letter and width; null when there
// is none (the table refuses such a field). binaryFlag: the field has Visual FoxPro's binary
// flag, which picks the binary variant of C, M and V.
const FieldKind* findFieldKind(char letter, Dialects dialects, int width, bool binaryFlag = false);
// The kind of fields of FoxPro tables whose type is not known: their bytes as binary data, never
// written.
const FieldKind& unknownFieldKind();
// The first row of that letter (for showing a field's type); null when there is none.
const FieldKind* findFieldKind(char letter);

// "C(10)", "N(8,2)", "D": a field's type as the table-information command shows it.
std::string fieldTypeText(char letter, int length, int decimals);

// The number of the memo's first block in a record's pointer bytes; 0 when blank (no memo).
// Returns false for bytes that are not a pointer.
bool decodePointer(MemoPointer pointer, const std::uint8_t* bytes, std::size_t width,
                   std::uint32_t& block);
// The pointer bytes of a memo's first block (0: no memo), exactly width; false when the number
// does not fit.
bool encodePointer(MemoPointer pointer, std::uint32_t block, std::size_t width, std::string& out);

// The field types a new table offers (NewFieldTypes.cpp), by the creation codes callers pass
// (engine::DataTypeCode), in the order of their codes.
struct NewFieldType {
    std::int32_t code;
    const char* name;  // "Boolean", as refusals name it
    char letter;
    enum class Width {
        OfTheKind,  // the kind's newWidth
        Caller,     // the size the caller gives, 1 to the kind's maxNewWidth
        Widest,     // the kind's widest new one (maxNewWidthIII in a dBASE III table)
        Fixed,      // fixedWidth
    } width;
    int fixedWidth;
    int decimals;
};
const NewFieldType* findNewFieldType(std::int32_t code);
// "1 Boolean, 3 Integer, ... or 12 Memo", for refusing an unknown code.
std::string newFieldTypeList();

struct NewFieldShape {
    char letter;
    int width;
    int decimals;
};
// The field a new table gets for that type; size is the caller's (used when the type takes it).
NewFieldShape newFieldShape(const NewFieldType& type, int size, bool dbaseIII);

}  // namespace engine::dbf
