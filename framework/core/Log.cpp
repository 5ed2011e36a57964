#include "core/Log.h"

#include "util/UTIL_String.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void Trace(const char*, int, const char*, ...) {}

const char* VSTOpcodeStr(int) {
    return "";
}
const char* AUSelectStr(int) {
    return "";
}
const char* AUPropertyStr(int) {
    return "";
}
const char* AUScopeStr(int) {
    return "";
}

namespace {

// Minutes by which local time is ahead of UTC.
int UtcOffsetMinutes(const std::tm& local, const std::tm& utc) {
    int offset = (local.tm_hour * 60 + local.tm_min) - (utc.tm_hour * 60 + utc.tm_min);
    int dayDiff = local.tm_yday - utc.tm_yday;
    if (dayDiff > 1) dayDiff = -1; // across the year boundary
    if (dayDiff < -1) dayDiff = 1;
    return offset + dayDiff * 1440;
}

} // namespace

const char* CurrentTime() {
    thread_local char buffer[64];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    std::tm utc{};
    localtime_r(&now, &local);
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof(text), "%Y%m%d %H:%M ", &local);
    const int offset = UtcOffsetMinutes(local, utc);
    const int magnitude = std::abs(offset);
    std::snprintf(buffer, sizeof(buffer), "%s%c%02d%02d", text, offset >= 0 ? '+' : '-',
                  magnitude / 60, magnitude % 60);
    return buffer;
}

void ToLower(char* dest, const char* src) {
    do {
        const char c = *src;
        *dest++ = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    } while (*src++);
}

bool IsWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

Timer::Timer() : mT(std::clock()) {}

bool Timer::Every(double seconds) {
    const std::clock_t now = std::clock();
    if (static_cast<double>(now - mT) > seconds * CLOCKS_PER_SEC) {
        mT = now;
        return true;
    }
    return false;
}

void CompileTimestamp(const char* date, const char* time, UTIL_String* out) {
    out->Set("[");
    out->Append(date);
    out->SetLen(7);
    out->DeleteSub(4, 1); // the space between month and a one-digit day
    out->Append(" ");
    out->Append(time);
    out->SetLen(12);
    out->Append("]");
}

const char* AppendTimestamp(const char* date, const char* time, const char* text) {
    thread_local UTIL_String result;
    UTIL_String stamp;
    CompileTimestamp(date, time, &stamp);
    result.Set(text);
    result.Append(" ");
    result.Append(stamp.Get());
    return result.Get();
}
