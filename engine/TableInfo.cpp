#include "engine/TableInfo.h"

#include "engine/DataControl.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/TableSource.h"
#include "engine/dbf/FieldKinds.h"

namespace engine {

TableInfo describeTable(const DataControl& control) {
    const Recordset* recordset = control.GetRecordset();
    if (recordset == nullptr) throw EngineError("No table is open.");
    TableInfo info;
    info.source = recordset->sourceDescription();
    info.properties = recordset->source().properties();
    info.fields = recordset->fieldInfos();
    info.liveRecords = recordset->RecordCount();
    info.deletedRecords = recordset->deletedCount();
    info.updatable = recordset->Updatable();
    info.warnings = recordset->warnings();
    return info;
}

std::string describeFieldType(const FieldInfo& field) {
    if (field.typeLetter == 0) {
        switch (field.type) {
            case FieldType::Numeric:
            case FieldType::Float:
                return "Number";
            case FieldType::Logical:
                return "Boolean";
            case FieldType::Date:
                return "Date";
            default:
                return "Text";
        }
    }
    return dbf::fieldTypeText(field.typeLetter, field.length, field.decimals);
}

}  // namespace engine
