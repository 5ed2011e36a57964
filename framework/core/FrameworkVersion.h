#pragma once

#include "util/UTIL_Endian.h"

class ByteChunk;

// Version header at the start of the framework's opaque state chunks: 'pfft' and the
// framework version, both as 32-bit ints.
constexpr int kFrameworkMagic = MakeFourCC("pfft");
constexpr int kFrameworkVersion = 0x010000; // 1.0.0

// Clears the chunk and writes the version header; returns the new size.
int InitChunkWithFrameworkVer(ByteChunk* chunk);
// When the chunk holds a version header at *pos: advances *pos past it and returns the
// version. Otherwise returns 0 and leaves *pos alone.
int GetFrameworkVerFromChunk(const ByteChunk* chunk, int* pos);

// Packed versions: major in bits 16 and up, minor in bits 8-15, patch in bits 0-7.
void GetVersionParts(int version, int* major, int* minor, int* patch);
// major * 10000 + minor * 100 + patch.
int GetDecimalVersion(int version);
// "v%d.%d.%d" into str of strSize bytes (16 always suffice).
void GetVersionStr(int version, char* str, int strSize = 16);
