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
    auto matches = [&oldText](const Value& value) {
        return value.kind() == Value::Kind::Text && value.asText() == oldText;
    };
    const long total = recordset.RecordCount();
    try {
        recordset.MoveFirst();
        while (!recordset.IsEOF()) {
            // Looked up on every record, as the record commands do.
            Field& field = recordset.Fields().Item(fieldName);
            Value current = field.GetValue();
            if (matches(current)) {
                // The page read may be older than another program's store: the match is decided
                // again on the record read under its lock, which the store keeps.
                recordset.Edit();
                field.GetValueInto(current);
                if (matches(current)) {
                    field.SetValue(newValue);
                    recordset.Update();
                    ++outcome.replaced;
                } else {
                    recordset.CancelUpdate();
                }
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
        // A store that failed leaves its edit pending: given up, with the record's lock.
        if (recordset.editMode() != Recordset::EditMode::None) recordset.CancelUpdate();
        if (outcome.replaced == 0) throw;
        throw EngineError(partlyDoneMessage("Replaced", outcome.replaced, "the matching records",
                                            failure.what()));
    }
    return outcome;
}

}  // namespace engine
