#include "engine/FileKind.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>

namespace engine {

namespace {

constexpr std::array<std::uint8_t, 8> kCompoundFileSignature = {0xD0, 0xCF, 0x11, 0xE0,
                                                                0xA1, 0xB1, 0x1A, 0xE1};
// The version bytes of the dBASE III, IV and 5 tables the engine opens (with and without memo,
// and the SQL tables it opens read-only).
constexpr std::array<std::uint8_t, 10> kDbaseVersions = {0x03, 0x07, 0x7B, 0x83, 0x87,
                                                         0x8B, 0x43, 0x63, 0x8E, 0xCB};
constexpr std::size_t kDbaseHeaderSize = 32;

bool looksLikeDbaseHeader(const std::array<std::uint8_t, kDbaseHeaderSize>& header) {
    bool knownVersion = false;
    for (std::uint8_t version : kDbaseVersions) knownVersion = knownVersion || header[0] == version;
    const int month = header[2];
    const int day = header[3];
    const unsigned headerLength = header[8] + 256u * header[9];
    const unsigned recordLength = header[10] + 256u * header[11];
    // At least one field descriptor and its terminator; at least the deletion flag.
    return knownVersion && month <= 12 && day <= 31 && headerLength >= kDbaseHeaderSize + 1 &&
           recordLength >= 1;
}

}  // namespace

FileKind probeFileKind(const std::string& path) {
    std::array<std::uint8_t, kDbaseHeaderSize> start{};
    std::ifstream file(path, std::ios::binary);
    file.read(reinterpret_cast<char*>(start.data()), static_cast<std::streamsize>(start.size()));
    const auto got = static_cast<std::size_t>(file.gcount());
    if (got >= kCompoundFileSignature.size() &&
        std::equal(kCompoundFileSignature.begin(), kCompoundFileSignature.end(), start.begin())) {
        return FileKind::Workbook;
    }
    if (got == start.size() && looksLikeDbaseHeader(start)) return FileKind::DbaseTable;
    return FileKind::Other;
}

void refuseFileOfTheOtherKind(const std::string& path, Driver driver) {
    const FileKind kind = probeFileKind(path);
    if (isDbase(driver) && kind == FileKind::Workbook) {
        throw EngineError(path + " is an Excel workbook: choose the Excel option to open it");
    }
    if (!isDbase(driver) && kind == FileKind::DbaseTable) {
        throw EngineError(path + " is a dBASE table: choose a dBASE option to open it");
    }
}

}  // namespace engine
