// What a record set knows about one column: name, type, width.
#pragma once

#include <cstdint>
#include <string>

namespace engine {

enum class FieldType {
    Character,  // dBASE C; worksheet text column
    Numeric,    // dBASE N; worksheet number column
    Float,      // dBASE F
    Logical,    // dBASE L; worksheet boolean column
    Date,       // dBASE D; worksheet date column
    Memo,       // dBASE M
    Binary,     // dBASE 5 B (recognised, read as unavailable); dBASE 7 B (binary data)
    General,    // dBASE 5 G (recognised, read as unavailable); dBASE 7 and FoxPro G (binary data)
    Integer,    // dBASE 7 I and + (autoincrement); Visual FoxPro I
    Double,     // dBASE 7 O; Visual FoxPro B
    DateTime,   // dBASE 7 @; Visual FoxPro T
    Currency,   // Visual FoxPro Y: an exact decimal with four decimals
    Varchar,    // Visual FoxPro V
    Varbinary,  // Visual FoxPro Q
    Blob,       // Visual FoxPro W
    Picture,    // FoxPro P
};

struct FieldInfo {
    std::string name;  // as displayed (duplicates made unique), UTF-8
    FieldType type = FieldType::Character;
    // The letter stored in the file ('C', 'N', ...); 0 for worksheet columns.
    char typeLetter = 'C';
    int length = 0;  // bytes in the record (worksheet text columns: 255)
    int decimals = 0;
    // False when the values cannot be read: memo fields whose memo file is missing, B and G fields.
    // Such cells read as null.
    bool available = true;
    // False for fields whose values the program never changes: binary data (shown only by its
    // size) and counters the table assigns itself (autoincrement).
    bool editable = true;
    // Visual FoxPro: the field holds null apart from its blank value.
    bool nullable = false;
    // The values are bytes, not text: binary character, memo and varchar fields, varbinary,
    // blob, picture and OLE fields.
    bool binary = false;
    // The table numbers the field itself: the value the next record receives and the step.
    bool autoIncrement = false;
    std::uint32_t autoIncrementNext = 0;
    int autoIncrementStep = 0;
};

}  // namespace engine
