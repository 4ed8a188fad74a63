// Large dBASE tables for benchmarks: ten fields of every common type, written in one pass.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

// Writes a dBASE IV table (version 0x03, no memo) of `records` records and ten fields (C, N, D,
// L) at path, replacing any file there. Every deletedEvery-th record is marked deleted (0: none).
// Values are deterministic, so two runs give the same file.
void generateTable(const std::string& path, std::uint32_t records, std::uint32_t deletedEvery = 0);

}  // namespace bench
