#include "util/UTIL_String.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

size_t BoundedLength(const char* text, int maxlen) {
    if (!text) return 0;
    if (maxlen <= 0) return std::strlen(text);
    const void* end = std::memchr(text, 0, static_cast<size_t>(maxlen));
    return end ? static_cast<size_t>(static_cast<const char*>(end) - text)
               : static_cast<size_t>(maxlen);
}

std::string FormatV(const char* format, va_list args) {
    va_list counting;
    va_copy(counting, args);
    const int n = std::vsnprintf(nullptr, 0, format, counting);
    va_end(counting);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<size_t>(n));
    return out;
}

void CutTo(std::string& s, int maxlen) {
    if (maxlen > 0 && s.size() > static_cast<size_t>(maxlen)) s.resize(static_cast<size_t>(maxlen));
}

} // namespace

void UTIL_String::Set(const char* text, int maxlen) {
    mText.assign(text ? text : "", BoundedLength(text, maxlen));
}

void UTIL_String::Append(const char* text, int maxlen) {
    if (text) mText.append(text, BoundedLength(text, maxlen));
}

void UTIL_String::SetFormatted(int maxlen, const char* format, ...) {
    va_list args;
    va_start(args, format);
    mText = FormatV(format, args);
    va_end(args);
    CutTo(mText, maxlen);
}

void UTIL_String::AppendFormatted(int maxlen, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string more = FormatV(format, args);
    va_end(args);
    CutTo(more, maxlen);
    mText += more;
}

void UTIL_String::SetLen(int n) {
    if (n < 0) n = 0;
    if (static_cast<size_t>(n) < mText.size()) mText.resize(static_cast<size_t>(n));
}

void UTIL_String::DeleteSub(int pos, int count) {
    if (pos < 0 || count <= 0 || static_cast<size_t>(pos) >= mText.size()) return;
    mText.erase(static_cast<size_t>(pos), static_cast<size_t>(count));
}
