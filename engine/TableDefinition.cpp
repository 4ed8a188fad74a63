#include "engine/TableDefinition.h"

#include "base/AsciiCase.h"
#include "engine/Driver.h"
#include "engine/EngineError.h"
#include "engine/dbf/DbfCreate.h"
#include "engine/dbf/DbfFormat.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/FileNames.h"

#include <algorithm>
#include <filesystem>

namespace engine {

namespace {

// The dBASE field a definition becomes in a table of this version. The type was checked by
// CreateField.
dbf::NewFieldShape shapeOf(const FieldDef& field, DbaseVersion version) {
    return dbf::newFieldShape(*dbf::findNewFieldType(field.Type()), field.Size(),
                              version == DbaseVersion::III);
}

dbf::VersionLimits limitsOf(DbaseVersion version) {
    switch (version) {
        case DbaseVersion::III:
            return dbf::kLimitsIII;
        case DbaseVersion::IV:
            return dbf::kLimitsIV;
        default:
            return dbf::kLimitsV;
    }
}

const char* versionName(DbaseVersion version) {
    switch (version) {
        case DbaseVersion::III:
            return "dBASE III";
        case DbaseVersion::IV:
            return "dBASE IV";
        default:
            return "dBASE 5";
    }
}

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int newFieldWidth(std::int32_t type, DbaseVersion version) {
    const dbf::NewFieldType* newType = dbf::findNewFieldType(type);
    if (newType == nullptr)
        throw EngineError("Unknown field type code " + std::to_string(type) + ".");
    return dbf::newFieldShape(*newType, 0, version == DbaseVersion::III).width;
}

// ---- FieldDef ----

FieldDef::FieldDef(std::string name, std::int32_t type, std::int16_t size)
    : m_name(std::move(name)), m_type(type), m_size(size) {}

// ---- FieldDefCollection ----

FieldDefCollection::FieldDefCollection(const Database& database) : m_database(&database) {}

void FieldDefCollection::Append(const std::shared_ptr<FieldDef>& field) {
    if (!field) throw EngineError("No field was given to append.");
    for (const auto& existing : m_fields) {
        if (base::equalsIgnoringCase(existing->Name(), field->Name())) {
            throw EngineError("The table already has a field named " + field->Name() + ".");
        }
    }
    const dbf::VersionLimits limits = limitsOf(m_database->version());
    const char* version = versionName(m_database->version());
    if (Count() + 1 > limits.maxFields) {
        throw EngineError(std::string("A ") + version + " table can have at most " +
                          std::to_string(limits.maxFields) + " fields.");
    }
    int recordLength = 1 + shapeOf(*field, m_database->version()).width;
    for (const auto& existing : m_fields) {
        recordLength += shapeOf(*existing, m_database->version()).width;
    }
    if (recordLength > limits.maxRecordLength) {
        throw EngineError("Cannot add field " + field->Name() + ": the records of a " + version +
                          " table can hold at most " + std::to_string(limits.maxRecordLength) +
                          " bytes, and these fields would need " + std::to_string(recordLength) +
                          ".");
    }
    m_fields.push_back(field);
}

void FieldDefCollection::Delete(std::string_view name) {
    auto found = std::find_if(m_fields.begin(), m_fields.end(), [&](const auto& field) {
        return base::equalsIgnoringCase(field->Name(), name);
    });
    if (found == m_fields.end()) {
        throw EngineError("The table definition has no field named " + std::string(name) + ".");
    }
    m_fields.erase(found);
}

const FieldDef& FieldDefCollection::Item(int index) const {
    if (index < 0 || index >= Count()) {
        throw EngineError("There is no field number " + std::to_string(index) +
                          " in the table definition.");
    }
    return *m_fields[static_cast<std::size_t>(index)];
}

// ---- TableDef ----

TableDef::TableDef(std::shared_ptr<const Database> database, std::string name)
    : m_database(std::move(database)), m_name(std::move(name)), m_fields(*m_database) {}

std::shared_ptr<FieldDef> TableDef::CreateField(const std::string& name, std::int32_t type,
                                                std::int16_t size) {
    if (name.empty()) throw EngineError("A field name cannot be empty.");
    if (name.size() > dbf::kMaxFieldNameLength) {
        throw EngineError("The field name " + name + " is longer than 10 characters.");
    }
    bool allowed = isAsciiLetter(name[0]) && std::all_of(name.begin(), name.end(), [](char c) {
                       return isAsciiLetter(c) || isAsciiDigit(c) || c == '_';
                   });
    if (!allowed) {
        throw EngineError("The field name \"" + name +
                          "\" is not allowed: use letters, digits and \"_\", starting with a "
                          "letter.");
    }
    const dbf::NewFieldType* newType = dbf::findNewFieldType(type);
    if (newType == nullptr) {
        throw EngineError("Unknown field type code " + std::to_string(type) + " for field " + name +
                          " (use " + dbf::newFieldTypeList() + ").");
    }
    if (newType->width == dbf::NewFieldType::Width::Caller) {
        const int widest = dbf::findFieldKind(newType->letter)->maxNewWidth;
        if (size < 1 || size > widest) {
            throw EngineError("The " + base::asciiLower(newType->name) + " field " + name +
                              " must hold 1 to " + std::to_string(widest) + " characters (" +
                              std::to_string(size) + " was given).");
        }
    }
    return std::make_shared<FieldDef>(base::asciiUpper(name), type, size);
}

// ---- TableDefCollection ----

TableDefCollection::TableDefCollection(const Database& database) : m_database(&database) {}

void TableDefCollection::Append(const std::shared_ptr<TableDef>& table) {
    if (!table) throw EngineError("No table definition was given to append.");
    const Database& database = *m_database;
    if (&table->database() != &database) {
        throw EngineError("The table definition " + table->Name() +
                          " was made on another database.");
    }
    if (database.m_readOnly) {
        throw EngineError("Cannot create the table " + table->Name() + ": the database " +
                          database.folder() + " was opened read-only.");
    }
    if (table->Fields().Count() == 0) {
        throw EngineError("The table " + table->Name() + " has no fields; add at least one.");
    }
    // NAME.dbf, or NAME itself when it already ends in .dbf; the memo file beside it.
    std::string base = table->Name();
    std::string dbtExtension = ".dbt";
    std::string dbfName = base + ".dbf";
    if (base::endsWithIgnoringCase(base, ".dbf")) {
        dbfName = base;
        bool upperExtension = base.substr(base.size() - 3) == "DBF";
        base.resize(base.size() - 4);
        dbtExtension = upperExtension ? ".DBT" : ".dbt";
    }
    std::string dbtName = base + dbtExtension;
    if (dbfName.size() > 255)
        throw EngineError("The table name " + table->Name() + " is too long.");
    std::error_code error;
    if (!std::filesystem::is_directory(database.folder(), error)) {
        throw EngineError("Cannot create the table " + table->Name() + ": the folder " +
                          database.folder() + " does not exist.");
    }

    dbf::NewTable newTable;
    newTable.folder = database.folder();
    newTable.dbfName = dbfName;
    newTable.dbtName = dbtName;
    newTable.memoStyle =
        database.version() == DbaseVersion::III ? dbf::MemoStyle::III : dbf::MemoStyle::IV;
    bool memo = false;
    for (int i = 0; i < table->Fields().Count(); ++i) {
        const FieldDef& field = table->Fields().Item(i);
        dbf::NewFieldShape shape = shapeOf(field, database.version());
        memo = memo || dbf::findFieldKind(shape.letter)->pointer != dbf::MemoPointer::None;
        newTable.fields.push_back({field.Name(), shape.letter, shape.width, shape.decimals});
    }
    for (const std::string& name : {dbfName, dbtName}) {
        if (name == dbtName && !memo) continue;
        if (dbf::entryExistsIgnoringCase(database.folder(), name)) {
            throw EngineError("Cannot create the table " + table->Name() + ": " + name +
                              " already exists in " + database.folder() + ".");
        }
    }
    dbf::createTable(newTable);
}

// ---- Database ----

Database::Database(std::string folder, DbaseVersion version, bool readOnly)
    : m_folder(std::move(folder)), m_version(version), m_readOnly(readOnly), m_tableDefs(*this) {}

std::shared_ptr<TableDef> Database::CreateTableDef(const std::string& name) {
    if (name.find_first_not_of(" \t") == std::string::npos) {
        throw EngineError("A table name cannot be empty.");
    }
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
        name.find('\0') != std::string::npos) {
        throw EngineError("The table name \"" + name +
                          "\" cannot contain a path separator; choose the folder separately.");
    }
    return std::shared_ptr<TableDef>(new TableDef(shared_from_this(), name));
}

std::shared_ptr<Database> OpenDatabase(const std::string& folder, std::int32_t /*options*/,
                                       bool readOnly, const std::string& connect) {
    Driver driver = parseDriver(connect);
    if (!isDbase(driver)) {
        throw EngineError(
            "Tables can only be created with a dBASE driver (\"dBASE III;\", "
            "\"dBASE IV;\" or \"dBASE V;\"), not \"" +
            connect + "\".");
    }
    if (folder.empty()) throw EngineError("No folder was given for the database.");
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        throw EngineError("The folder " + folder + " does not exist.");
    }
    DbaseVersion version = driver == Driver::DbaseIII  ? DbaseVersion::III
                           : driver == Driver::DbaseIV ? DbaseVersion::IV
                                                       : DbaseVersion::V;
    return std::shared_ptr<Database>(new Database(folder, version, readOnly));
}

}  // namespace engine
