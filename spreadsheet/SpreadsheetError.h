// The one failure type of the spreadsheet component; what() is the description the user sees.
#pragma once

#include <stdexcept>
#include <string>

namespace spreadsheet {

// Run-time error numbers the component reports, as the automation interface numbers them.
inline constexpr int kErrorSubscriptOutOfRange = 9;
inline constexpr int kErrorTypeMismatch = 13;
inline constexpr int kErrorObjectNotSet = 91;
inline constexpr int kErrorOperationFailed = 1004;

class SpreadsheetError : public std::runtime_error {
public:
    // description is the whole text shown to the user.
    SpreadsheetError(int code, const std::string& description)
        : std::runtime_error(description), m_code(code) {}

    int code() const { return m_code; }

    // "Object variable not set (error 91): <detail>" and the like; detail is a sentence.
    static SpreadsheetError objectNotSet(const std::string& detail);
    static SpreadsheetError subscriptOutOfRange(const std::string& detail);
    static SpreadsheetError typeMismatch(const std::string& detail);
    static SpreadsheetError operationFailed(const std::string& detail);

private:
    int m_code;
};

}  // namespace spreadsheet
