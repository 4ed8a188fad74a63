// Large dBASE and Visual FoxPro tables for benchmarks: ten fields of the common types, written
// in one pass.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

// Writes a dBASE IV table (version 0x03, no memo) of `records` records and ten fields (C, N, D,
// L) at path, replacing any file there. Every deletedEvery-th record is marked deleted (0: none).
// Values are deterministic, so two runs give the same file.
void generateTable(const std::string& path, std::uint32_t records, std::uint32_t deletedEvery = 0);

// Writes a Visual FoxPro table (version 0x32) of `records` records and ten fields: an
// autoincrement I, C, V, Y, B, T, D, L, V and C, three of them nullable and some values null.
void generateFoxTable(const std::string& path, std::uint32_t records);

}  // namespace bench
