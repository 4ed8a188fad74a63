#include "engine/Replace.h"

#include "engine/EngineError.h"
#include "engine/PartlyDone.h"
#include "engine/Recordset.h"
#include "engine/Value.h"

#include <exception>

namespace engine {

ReplaceOutcome ReplaceValues(Recordset& recordset, const std::string& fieldName,
                             const std::string& oldText, const Value& newValue,
                             const Progress& progress) {
    ReplaceOutcome outcome;
    const long total = recordset.RecordCount();
    try {
        recordset.MoveFirst();
        while (!recordset.IsEOF()) {
            // Looked up on every record, as the record commands do.
            Field& field = recordset.Fields().Item(fieldName);
            Value current = field.GetValue();
            if (current.kind() == Value::Kind::Text && current.asText() == oldText) {
                recordset.Edit();
                field.SetValue(newValue);
                recordset.Update();
                ++outcome.replaced;
            }
            recordset.MoveNext();
            ++outcome.visited;
            // An answer to stop after the last record comes too late to stop anything.
            if (progress && !progress(outcome.visited, total) && !recordset.IsEOF()) {
                outcome.cancelled = true;
                break;
            }
        }
    } catch (const std::exception& failure) {
        if (outcome.replaced == 0) throw;
        throw EngineError(partlyDoneMessage("Replaced", outcome.replaced, "the matching records",
                                            failure.what()));
    }
    return outcome;
}

}  // namespace engine
