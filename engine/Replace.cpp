#include "engine/Replace.h"

#include "engine/Recordset.h"
#include "engine/Value.h"

namespace engine {

long ReplaceValues(Recordset& recordset, const std::string& fieldName, const std::string& oldText,
                   const Value& newValue) {
    long changed = 0;
    recordset.MoveFirst();
    while (!recordset.IsEOF()) {
        // Looked up on every record, as the record commands do.
        Field& field = recordset.Fields().Item(fieldName);
        Value current = field.GetValue();
        if (current.kind() == Value::Kind::Text && current.asText() == oldText) {
            recordset.Edit();
            field.SetValue(newValue);
            recordset.Update();
            ++changed;
        }
        recordset.MoveNext();
    }
    return changed;
}

}  // namespace engine
