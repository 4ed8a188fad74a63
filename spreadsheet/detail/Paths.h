// File path helpers of the component.
#pragma once

#include <string>

namespace spreadsheet::detail {

// True when both paths name the same file: the same existing file (links included), or the same
// path once made absolute and normalised.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace spreadsheet::detail
