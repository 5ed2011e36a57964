#include "core/FxFileFormat.h"

#include "core/ByteChunk.h"

#include <cmath>
#include <cstring>

void PutFxInt(ByteChunk* file, int32_t value) {
    unsigned char bytes[4];
    UTIL_PutBE32(bytes, static_cast<uint32_t>(value));
    file->PutBytes(bytes, 4);
}

void PutFxFloat(ByteChunk* file, float value) {
    unsigned char bytes[4];
    UTIL_PutBEFloat(bytes, value);
    file->PutBytes(bytes, 4);
}

void PutFxHeader(ByteChunk* file, const FxHeader& header) {
    PutFxInt(file, header.mChunkMagic);
    PutFxInt(file, header.mByteSize);
    PutFxInt(file, header.mFxMagic);
    PutFxInt(file, header.mVersion);
    PutFxInt(file, header.mFxID);
    PutFxInt(file, header.mFxVersion);
    PutFxInt(file, header.mCount);
}

void PutFxName(ByteChunk* file, const char* name) {
    unsigned char field[kFxNameLen] = {};
    if (name) std::memcpy(field, name, strnlen(name, kFxNameLen - 1));
    file->PutBytes(field, kFxNameLen);
}

void PutFxZeros(ByteChunk* file, int n) {
    file->Resize(file->Size() + n);
}

void PutFxChunk(ByteChunk* file, const ByteChunk* chunk) {
    PutFxInt(file, chunk->Size());
    file->PutChunk(chunk);
}

int GetFxInt(const ByteChunk* file, int pos, int32_t* value) {
    unsigned char bytes[4];
    pos = file->GetBytes(bytes, 4, pos);
    if (pos >= 0) *value = static_cast<int32_t>(UTIL_GetBE32(bytes));
    return pos;
}

int GetFxHeader(const ByteChunk* file, int pos, FxHeader* header) {
    int32_t* fields[] = {&header->mChunkMagic, &header->mByteSize, &header->mFxMagic,
                         &header->mVersion,    &header->mFxID,     &header->mFxVersion,
                         &header->mCount};
    for (int32_t* field : fields)
        pos = GetFxInt(file, pos, field);
    return pos;
}

int GetFxName(const ByteChunk* file, int pos, char (&name)[kFxNameLen + 1]) {
    char field[kFxNameLen];
    pos = file->GetBytes(field, kFxNameLen, pos);
    if (pos < 0) return -1;
    const size_t len = strnlen(field, kFxNameLen);
    std::memcpy(name, field, len);
    name[len] = '\0';
    return pos;
}

int GetFxParamProgram(const ByteChunk* file, int pos, int nParams, FxHeader* header,
                      FxProgram* program) {
    pos = GetFxHeader(file, pos, header);
    if (pos < 0 || header->mChunkMagic != kFxContainerMagic ||
        header->mFxMagic != kFxProgramParamsMagic || header->mVersion != kFxProgramVersion ||
        header->mCount != nParams) {
        return -1;
    }
    pos = GetFxName(file, pos, program->mName);
    program->mValues.assign(static_cast<size_t>(nParams), 0.0f);
    for (int i = 0; i < nParams && pos >= 0; ++i) {
        int32_t bits = 0;
        pos = GetFxInt(file, pos, &bits);
        const float value = std::bit_cast<float>(bits);
        if (!std::isfinite(value)) return -1;
        program->mValues[static_cast<size_t>(i)] = value;
    }
    return pos;
}

int GetFxChunk(const ByteChunk* file, int pos, ByteChunk* chunk) {
    int32_t size = 0;
    pos = GetFxInt(file, pos, &size);
    if (pos < 0 || size < 0 || size > file->Size() - pos) return -1;
    chunk->Clear();
    chunk->PutBytes(file->GetBytes() + pos, size);
    return pos + size;
}
