// Creating dBASE tables: a database (a folder opened with a dBASE driver), table definitions,
// field definitions, and the append that writes the new table to disk.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// The engine's field type codes, as callers pass them to CreateField.
enum DataTypeCode : std::int32_t {
    kTypeBoolean = 1,  // L(1)
    kTypeInteger = 3,  // N(6,0)
    kTypeDouble = 7,   // N(20,5); N(19,5) in dBASE III tables
    kTypeDate = 8,     // D(8)
    kTypeText = 10,    // C(size), size 1..254
    kTypeMemo = 12,    // M(10), with a memo file
};

class Database;

class FieldDef {
public:
    FieldDef(std::string name, std::int32_t type, std::int16_t size);
    const std::string& Name() const { return m_name; }
    std::int32_t Type() const { return m_type; }
    std::int16_t Size() const { return m_size; }

private:
    std::string m_name;
    std::int32_t m_type;
    std::int16_t m_size;
};

class FieldDefCollection {
public:
    // Throws EngineError when a field of that name (without regard to case) is already there, or
    // when the table would exceed the version's field count or record length.
    void Append(const std::shared_ptr<FieldDef>& field);
    // Throws EngineError when no field has that name (without regard to case).
    void Delete(std::string_view name);
    int Count() const { return static_cast<int>(m_fields.size()); }
    const FieldDef& Item(int index) const;

private:
    friend class TableDef;
    explicit FieldDefCollection(const Database& database);
    const Database* m_database;
    std::vector<std::shared_ptr<FieldDef>> m_fields;
};

class TableDef {
public:
    const std::string& Name() const { return m_name; }
    FieldDefCollection& Fields() { return m_fields; }
    const FieldDefCollection& Fields() const { return m_fields; }
    // Throws EngineError for a name that dBASE does not allow (empty, over 10 characters,
    // characters other than letters, digits and "_", not starting with a letter), an unknown
    // type code, or a text size outside 1..254. Sizes of other types are ignored.
    std::shared_ptr<FieldDef> CreateField(const std::string& name, std::int32_t type,
                                          std::int16_t size);
    const Database& database() const { return *m_database; }

private:
    friend class Database;
    TableDef(std::shared_ptr<const Database> database, std::string name);
    // A definition keeps its database alive: a caller may drop the database (open another
    // folder) while still holding the definition.
    std::shared_ptr<const Database> m_database;
    std::string m_name;
    FieldDefCollection m_fields;
};

class TableDefCollection {
public:
    // Writes the table (NAME.dbf, and NAME.dbt when it has memo fields) atomically: both files
    // appear whole or not at all. Throws EngineError, writing nothing, when the table has no
    // fields, when NAME.dbf or NAME.dbt already exists in the folder (without regard to case),
    // when the definition was made on another database, when the database was opened
    // read-only, or on any I/O failure.
    void Append(const std::shared_ptr<TableDef>& table);

private:
    friend class Database;
    explicit TableDefCollection(const Database& database);
    const Database* m_database;
};

enum class DbaseVersion { III, IV, V };

// The width a field of that type code takes in a new table of that version (Boolean 1, Date 8);
// 0 for Text, whose width is the size given. Throws EngineError for an unknown code.
int newFieldWidth(std::int32_t type, DbaseVersion version);

class Database : public std::enable_shared_from_this<Database> {
public:
    const std::string& folder() const { return m_folder; }
    DbaseVersion version() const { return m_version; }
    // Throws EngineError for an empty or all-space name or one with a path separator.
    std::shared_ptr<TableDef> CreateTableDef(const std::string& name);
    TableDefCollection& TableDefs() { return m_tableDefs; }

private:
    friend std::shared_ptr<Database> OpenDatabase(const std::string&, std::int32_t, bool,
                                                  const std::string&);
    friend class TableDefCollection;
    Database(std::string folder, DbaseVersion version, bool readOnly);
    std::string m_folder;
    DbaseVersion m_version;
    bool m_readOnly;
    TableDefCollection m_tableDefs;
};

// Opens a folder as a dBASE database. options (512 in practice) is accepted and ignored; a
// database opened read-only refuses to create tables.
// Throws EngineError when the folder does not exist or the driver text is empty, unknown or not
// a dBASE driver ("dBASE III;", "dBASE IV;", "dBASE V;", "dBASE 5.0;", without regard to case).
std::shared_ptr<Database> OpenDatabase(const std::string& folder, std::int32_t options,
                                       bool readOnly, const std::string& connect);

}  // namespace engine
