#include "spreadsheet/SpreadsheetError.h"

namespace spreadsheet {

namespace {

SpreadsheetError make(int code, const char* title, const std::string& detail) {
    return SpreadsheetError(
        code, std::string(title) + " (error " + std::to_string(code) + "): " + detail);
}

}  // namespace

SpreadsheetError SpreadsheetError::objectNotSet(const std::string& detail) {
    return make(kErrorObjectNotSet, "Object variable not set", detail);
}

SpreadsheetError SpreadsheetError::subscriptOutOfRange(const std::string& detail) {
    return make(kErrorSubscriptOutOfRange, "Subscript out of range", detail);
}

SpreadsheetError SpreadsheetError::typeMismatch(const std::string& detail) {
    return make(kErrorTypeMismatch, "Type mismatch", detail);
}

SpreadsheetError SpreadsheetError::operationFailed(const std::string& detail) {
    return make(kErrorOperationFailed, "Spreadsheet operation failed", detail);
}

}  // namespace spreadsheet
