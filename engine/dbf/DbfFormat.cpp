#include "engine/dbf/DbfFormat.h"

#include <cstdio>

namespace engine::dbf {

VersionInfo describeVersion(std::uint8_t version) {
    using S = VersionSupport;
    using M = MemoStyle;
    switch (version) {
        case 0x03:
            return {S::ReadWrite, M::None, "dBASE III/IV/5 table without memo"};
        case 0x83:
            return {S::ReadWrite, M::III, "dBASE III table with memo"};
        case 0x8B:
            return {S::ReadWrite, M::IV, "dBASE IV/5 table with memo"};
        case 0x07:
            return {S::ReadWrite, M::None, "dBASE III-compatible table without memo (0x07)"};
        case 0x87:
            return {S::ReadWrite, M::III, "dBASE III-compatible table with memo (0x87)"};
        case 0x7B:
            return {S::ReadWrite, M::IV, "dBASE IV table with memo (unusual version byte 0x7B)"};
        case 0x43:
        case 0x63:
            return {S::ReadOnly, M::None, "dBASE IV SQL table"};
        case 0xCB:
        case 0x8E:
            return {S::ReadOnly, M::IV, "dBASE IV SQL table with memo"};
        case 0x02:
            return {S::ReadOnly, M::None, "dBASE II table", kDbaseIII, kDbaseIILayout};
        case 0x04:
            return {S::ReadWrite, M::None, "dBASE 7 table without memo", kDbase7Table,
                    kDbase7Layout};
        case 0x8C:
            return {S::ReadWrite, M::IV, "dBASE 7 table with memo", kDbase7Table, kDbase7Layout};
        case 0x30:
            return {S::ReadWrite, M::Fpt, "Visual FoxPro table", kVisualFoxPro,
                    kVisualFoxProLayout};
        case 0x31:
            return {S::ReadWrite, M::Fpt, "Visual FoxPro table with autoincrement fields",
                    kVisualFoxPro, kVisualFoxProLayout};
        case 0x32:
            return {S::ReadWrite, M::Fpt, "Visual FoxPro table with varchar or blob fields",
                    kVisualFoxPro, kVisualFoxProLayout};
        case 0xF5:
            return {S::ReadWrite, M::Fpt, "FoxPro 2 table with memo", kFoxPro};
        case 0xFB:
            // Listed in FoxPro's documentation, never seen in a file: read as FoxPro 2, not
            // written.
            return {S::ReadOnly, M::Fpt, "FoxBASE table (version byte 0xFB)", kFoxPro};
        case 0xE5:
            return {S::Refused, M::None,
                    "it is a table with an .smt memo file, which is not supported"};
        case 0x06:
        case 0x86:
        case 0xE6:
        case 0xF6:
            return {S::Refused, M::None, "the table is encrypted"};
        default:
            return {S::Refused, M::None,
                    "it is not a dBASE table (unknown version byte " + hexByte(version) + ")"};
    }
}

std::string hexByte(std::uint8_t byte) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", byte);
    return buffer;
}

}  // namespace engine::dbf
