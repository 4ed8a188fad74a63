// Encoders of the individual records the writer emits, each appending one whole record.
#pragma once

#include "xls/biff8/RecordWriter.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace xls::biff8 {

void appendBof(Bytes& out, std::uint16_t substreamType);
void appendEof(Bytes& out);
// CODEPAGE 1200: strings are UTF-16 (or its compressed form).
void appendCodePage(Bytes& out);
void appendWindow1(Bytes& out, std::uint16_t activeSheet, std::uint16_t selectedSheets);
void appendDateMode(Bytes& out, bool date1904);
// The default font, Arial 10 pt.
void appendFont(Bytes& out);
// A style XF: the "Normal" style (index 0) or one of the outline styles (1-14).
void appendStyleXf(Bytes& out, bool normal);
// A cell XF over the Normal style with the given number format.
void appendCellXf(Bytes& out, std::uint16_t numberFormat);
// The built-in "Normal" style bound to XF 0.
void appendStyle(Bytes& out);
// Returns the position of the sheet offset field, to be patched once the sheet is placed.
std::size_t appendBoundSheet(Bytes& out, std::u16string_view name, std::uint8_t visibility);

// Cell extent: rows [firstRow, lastRowPlusOne), columns [firstColumn, lastColumnPlusOne).
void appendDimensions(Bytes& out, std::uint32_t firstRow, std::uint32_t lastRowPlusOne,
                      std::uint16_t firstColumn, std::uint16_t lastColumnPlusOne);
void appendWindow2(Bytes& out, bool selected, bool active);

void appendNumber(Bytes& out, std::uint16_t row, std::uint16_t column, std::uint16_t xf,
                  double value);
void appendRk(Bytes& out, std::uint16_t row, std::uint16_t column, std::uint16_t xf,
              std::uint32_t rk);
void appendLabelSst(Bytes& out, std::uint16_t row, std::uint16_t column, std::uint16_t xf,
                    std::uint32_t stringIndex);
void appendBoolErr(Bytes& out, std::uint16_t row, std::uint16_t column, std::uint16_t xf,
                   std::uint8_t value, bool isError);

// The RK form of value when it decodes back to exactly the same double, else nothing.
std::optional<std::uint32_t> encodeRk(double value);
// The double an RK value stands for.
double decodeRk(std::uint32_t rk);

}  // namespace xls::biff8
