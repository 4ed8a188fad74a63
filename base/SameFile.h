// Whether two paths name one file, for refusing to write a file over one that is open.
#pragma once

#include <filesystem>

namespace base {

// True when both paths name the same file: the same existing file (links included), or the same
// path once made absolute and normalised (for files that do not exist yet). Never throws.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace base
