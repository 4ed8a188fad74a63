// The table definition a user assembles for a new dBASE table, and its creation on disk through
// the engine. No Qt, so that quillon-cli creates tables the same way the window does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace engine {
class Database;
class TableDef;
}  // namespace engine

namespace tablecreate {

// Holds the database of the target folder and the one pending table definition, from
// DefinirTabla until the next DefinirTabla (or the end of the instance). Calls are expected in
// the order DefinirTabla, then any AgregarCampo and EliminarCampo, then CrearTabla; nothing here
// enforces it beyond refusing to work without a definition.
//
// Nothing is handled here: every refusal of the engine reaches the caller as the engine's
// EngineError, and the state stays as the last successful step left it.
class Dbase {
public:
    // Opens the folder as a dBASE database of the version the connect string names ("DBase III;",
    // "DBase IV;", "DBase V;"), then starts an empty definition of the table on it. Writes
    // nothing. When the open fails, the previous database and definition stay; when the
    // definition is refused (a bad table name), the new database is already in place and the
    // previous definition stays.
    void DefinirTabla(const std::string& carpeta, const std::string& nombreTabla,
                      const std::string& conexion);

    // Creates a field of the engine type code and size and appends it to the pending definition.
    // A field the engine refuses (name, type, size, a duplicate) is not added.
    void AgregarCampo(const std::string& nombreCampo, std::int16_t tipo, std::int16_t longitud);

    // Deletes the field of that name (without regard to case) from the pending definition.
    void EliminarCampo(const std::string& nombreCampo);

    // Appends the pending definition to the database: the engine writes the new table into the
    // folder, with the fields in their order, and never over an existing table. The database and
    // the definition are kept as they are.
    void CrearTabla();

    // What the module holds, for the windows and the tests; null before the first successful
    // DefinirTabla.
    const engine::Database* database() const { return dbCarpeta.get(); }
    const engine::TableDef* definition() const { return tdNueva.get(); }

private:
    engine::TableDef& pendingDefinition() const;

    std::shared_ptr<engine::Database> dbCarpeta;
    std::shared_ptr<engine::TableDef> tdNueva;
};

}  // namespace tablecreate
