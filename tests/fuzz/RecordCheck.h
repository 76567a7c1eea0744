#pragma once

#include <cstdint>
#include <span>
#include <string>

// One fuzz input through the record assembler into the program's own record
// display, checked against a plain model of the line rules.
//
// Input: C1 and C2 as raw doubles (8 bytes each), a geometry byte (cell width
// 1-8 in bits 0-2, cell height 1-8 in bits 3-5, font crop in bits 6-7), an
// option byte (bit 0 shows the inductance line, bit 1 stops composing as
// during a stop, bit 2 writes the no-data text at the end), then the byte
// stream from the counter.
//
// Returns an empty text when every check held, else what broke first.
std::string CheckRecordStream(std::span<const uint8_t> data);
