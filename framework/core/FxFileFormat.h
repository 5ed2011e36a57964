#pragma once

// Big-endian building blocks of the program (.kvp) and bank (.kvb) files, which follow the
// FXP/FXB container layout: a "CcnK" header, then parameter values or an opaque chunk.

#include "util/UTIL_Endian.h"

#include <cstdint>
#include <vector>

class ByteChunk;
class UTIL_String;

constexpr int kFxContainerMagic = MakeFourCC("CcnK");
constexpr int kFxProgramParamsMagic = MakeFourCC("FxCk");
constexpr int kFxProgramChunkMagic = MakeFourCC("FPCh");
constexpr int kFxBankParamsMagic = MakeFourCC("FxBk");
constexpr int kFxBankChunkMagic = MakeFourCC("FBCh");
constexpr int kFxProgramVersion = 1;
constexpr int kFxBankVersion = 2;
constexpr int kFxNameLen = 28;           // program name field, zero-padded
constexpr int kFxProgramHeaderSize = 56; // seven ints and the name
constexpr int kFxBankReservedSize = 124;
constexpr int kFxBankHeaderSize = 156; // eight ints and the reserved bytes
constexpr int kFxMaxFileSize = 64 << 20;

// The seven ints at the start of a program or bank: container magic, byte size, kind magic,
// version, plug-in ID, plug-in version, then the parameter count (program) or the program
// count (bank).
struct FxHeader {
    int32_t mChunkMagic = kFxContainerMagic;
    int32_t mByteSize = 0;
    int32_t mFxMagic = 0;
    int32_t mVersion = 0;
    int32_t mFxID = 0;
    int32_t mFxVersion = 0;
    int32_t mCount = 0;
};

// One parameter-flavour program: its name and one normalised value per parameter.
struct FxProgram {
    char mName[kFxNameLen + 1] = {};
    std::vector<float> mValues;
};

void PutFxInt(ByteChunk* file, int32_t value);
void PutFxFloat(ByteChunk* file, float value);
void PutFxHeader(ByteChunk* file, const FxHeader& header);
// At most 27 characters of name, the rest of the 28-byte field zero.
void PutFxName(ByteChunk* file, const char* name);
void PutFxZeros(ByteChunk* file, int n);
// The chunk's length, then its bytes.
void PutFxChunk(ByteChunk* file, const ByteChunk* chunk);

// Readers return the position after what they read, or -1.
int GetFxInt(const ByteChunk* file, int pos, int32_t* value);
int GetFxHeader(const ByteChunk* file, int pos, FxHeader* header);
// The name ends at its first zero byte or after 28 characters.
int GetFxName(const ByteChunk* file, int pos, char (&name)[kFxNameLen + 1]);
// A complete parameter-flavour program record of nParams values: refused (-1) unless the
// header says "CcnK", "FxCk", version 1 and nParams, and every value is finite.
int GetFxParamProgram(const ByteChunk* file, int pos, int nParams, FxHeader* header,
                      FxProgram* program);
// The length-prefixed chunk at pos, copied into chunk; -1 unless it lies inside the file.
int GetFxChunk(const ByteChunk* file, int pos, ByteChunk* chunk);
