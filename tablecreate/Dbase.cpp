#include "tablecreate/Dbase.h"

#include "engine/EngineError.h"
#include "engine/TableDefinition.h"

namespace tablecreate {

namespace {

// The options value passed with every open of a target folder (the engine accepts and ignores
// it).
constexpr std::int32_t kOpenOptions = 512;

}  // namespace

void Dbase::DefinirTabla(const std::string& carpeta, const std::string& nombreTabla,
                         const std::string& conexion) {
    dbCarpeta = engine::OpenDatabase(carpeta, kOpenOptions, false, conexion);
    tdNueva = dbCarpeta->CreateTableDef(nombreTabla);
}

void Dbase::AgregarCampo(const std::string& nombreCampo, std::int16_t tipo, std::int16_t longitud) {
    engine::TableDef& definition = pendingDefinition();
    engine::FieldDefCollection& fields = definition.Fields();
    std::shared_ptr<engine::FieldDef> field =
        definition.CreateField(nombreCampo, static_cast<std::int32_t>(tipo), longitud);
    fields.Append(field);
}

void Dbase::EliminarCampo(const std::string& nombreCampo) {
    pendingDefinition().Fields().Delete(nombreCampo);
}

void Dbase::CrearTabla() {
    pendingDefinition();  // a definition always has its database; the reverse does not hold
    dbCarpeta->TableDefs().Append(tdNueva);
}

engine::TableDef& Dbase::pendingDefinition() const {
    if (!tdNueva) {
        throw engine::EngineError(
            "No table is being defined: give the folder and the table name and accept them "
            "first.");
    }
    return *tdNueva;
}

}  // namespace tablecreate
