#pragma once

#include <ctime>

class UTIL_String;

// Diagnostic entry point called at interesting places with the calling function's name, a
// line number and a printf-style message. It accepts every call and produces nothing, so it
// is safe on any thread and while the plug-in mutex is held.
void Trace(const char* funcName, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Names of host-interface codes for trace lines; this build has none and gives "".
const char* VSTOpcodeStr(int code);
const char* AUSelectStr(int code);
const char* AUPropertyStr(int code);
const char* AUScopeStr(int code);

// The local time and its offset from UTC as "YYYYMMDD HH:MM +HHMM" (20 characters), in a
// per-thread buffer that the thread's next call overwrites.
const char* CurrentTime();

// Copies src to dest (terminator included) with the ASCII letters A-Z lower-cased.
void ToLower(char* dest, const char* src);

// Space, tab, line feed or carriage return.
bool IsWhitespace(char c);

// Processor-time interval check.
struct Timer {
    Timer();
    // True, and restarts the interval, when more than seconds of processor time have passed
    // since the last restart.
    bool Every(double seconds);

    std::clock_t mT;
};

// Builds a bracketed build stamp such as "[Dec 5 09:36]" from compiler-style __DATE__ and
// __TIME__ texts.
void CompileTimestamp(const char* date, const char* time, UTIL_String* out);
// text, a space and the build stamp, in a per-thread buffer.
const char* AppendTimestamp(const char* date, const char* time, const char* text);
