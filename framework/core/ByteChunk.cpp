#include "core/ByteChunk.h"

#include "util/UTIL_String.h"

#include <climits>
#include <cstring>

int ByteChunk::PutBytes(const void* data, int n) {
    const int oldSize = Size();
    if (n <= 0 || !data || n > INT_MAX - oldSize) return oldSize;
    mBytes.Resize(oldSize + n);
    std::memcpy(GetBytes() + oldSize, data, static_cast<size_t>(n));
    return Size();
}

int ByteChunk::PutStr(const char* text) {
    if (!text) text = "";
    const int32_t n = static_cast<int32_t>(std::strlen(text));
    Put(&n);
    return PutBytes(text, n);
}

int ByteChunk::PutBool(bool b) {
    const unsigned char byte = b ? 1 : 0;
    return PutBytes(&byte, 1);
}

int ByteChunk::PutChunk(const ByteChunk* other) {
    return PutBytes(other->GetBytes(), other->Size());
}

int ByteChunk::GetBytes(void* out, int n, int startPos) const {
    if (!Fits(n, startPos)) return -1;
    if (n > 0) std::memcpy(out, GetBytes() + startPos, static_cast<size_t>(n));
    return startPos + n;
}

int ByteChunk::GetStr(UTIL_String* out, int startPos) const {
    int32_t n = 0;
    const int textPos = Get(&n, startPos);
    if (textPos < 0 || !Fits(n, textPos)) return -1;
    if (n > 0) out->Set(reinterpret_cast<const char*>(GetBytes() + textPos), n);
    return textPos + n;
}

int ByteChunk::GetBool(bool* b, int startPos) const {
    unsigned char byte = 0;
    const int pos = GetBytes(&byte, 1, startPos);
    if (pos >= 0) *b = byte != 0;
    return pos;
}

int ByteChunk::Resize(int n) {
    const int oldSize = Size();
    mBytes.Resize(n);
    return oldSize;
}

bool ByteChunk::IsEqual(const ByteChunk& other) const {
    return Size() == other.Size() && (Size() == 0 || std::memcmp(GetBytes(), other.GetBytes(),
                                                                 static_cast<size_t>(Size())) == 0);
}
