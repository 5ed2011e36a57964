#include "core/FrameworkVersion.h"

#include "core/ByteChunk.h"

#include <cstdio>

int InitChunkWithFrameworkVer(ByteChunk* chunk) {
    chunk->Clear();
    const int32_t magic = kFrameworkMagic;
    const int32_t version = kFrameworkVersion;
    chunk->Put(&magic);
    return chunk->Put(&version);
}

int GetFrameworkVerFromChunk(const ByteChunk* chunk, int* pos) {
    int32_t magic = 0;
    int32_t version = 0;
    const int afterMagic = chunk->Get(&magic, *pos);
    if (afterMagic < 0 || magic != kFrameworkMagic) return 0;
    const int afterVersion = chunk->Get(&version, afterMagic);
    if (afterVersion < 0) return 0;
    *pos = afterVersion;
    return version;
}

void GetVersionParts(int version, int* major, int* minor, int* patch) {
    *major = version >> 16;
    *minor = (version & 0xFF00) >> 8;
    *patch = version & 0xFF;
}

int GetDecimalVersion(int version) {
    int major, minor, patch;
    GetVersionParts(version, &major, &minor, &patch);
    return major * 10000 + minor * 100 + patch;
}

void GetVersionStr(int version, char* str, int strSize) {
    if (!str || strSize <= 0) return;
    int major, minor, patch;
    GetVersionParts(version, &major, &minor, &patch);
    std::snprintf(str, static_cast<size_t>(strSize), "v%d.%d.%d", major, minor, patch);
}
