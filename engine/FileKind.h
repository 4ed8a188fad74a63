// What a file holds, told from its first bytes: an Excel workbook (the compound-file container
// of .xls files), a dBASE table, or something else. The data control asks before it opens a
// file, so that a file of the other kind is refused with what it is rather than with the
// driver's own failure.
#pragma once

#include "engine/Driver.h"

#include <string>

namespace engine {

enum class FileKind { Other, Workbook, DbaseTable };

// Reads at most the first 32 bytes. A workbook starts with the compound-file signature; a dBASE
// table with a dBASE III, IV or 5 version byte and a header whose sizes can be real. A file that
// cannot be read, or is too short to tell, is Other: the open that follows says why.
FileKind probeFileKind(const std::string& path);

// Throws EngineError when the file at path is clearly of the kind the other driver opens:
// "<path> is an Excel workbook: choose the Excel option to open it" under a dBASE driver,
// "<path> is a dBASE table: choose a dBASE option to open it" under the Excel driver.
void refuseFileOfTheOtherKind(const std::string& path, Driver driver);

}  // namespace engine
