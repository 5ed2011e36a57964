#pragma once
// The UTF-8 reading of the cached font: one character at a time into a 16-bit code.

#include <cstdint>

// Reads one character of s into *code. *count is the number of bytes left (negative: up to the
// terminating zero); it is reduced by the bytes read, not below 0. Returns the bytes read, 0 at
// the end of the text. Lead bytes below 0xC2 and broken sequences stand for themselves; a
// 4-byte character becomes a space.
int RAST_ReadUTF8Char(const char* s, int* count, std::uint16_t* code);

// Writes the UTF-8 form of code (1 to 3 bytes) and a terminating zero; returns the byte count.
int RAST_WriteUTF8Char(std::uint16_t code, char out[4]);
