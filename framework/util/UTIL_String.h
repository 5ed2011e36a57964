#pragma once

#include <string>

// Growable zero-terminated text. Get() never returns null.
class UTIL_String {
public:
    UTIL_String() = default;
    explicit UTIL_String(const char* text, int maxlen = 0) { Set(text, maxlen); }

    // Copies at most maxlen characters of text, stopping early at its terminator;
    // maxlen <= 0 copies the whole text. A null text gives the empty string.
    void Set(const char* text, int maxlen = 0);
    void Append(const char* text, int maxlen = 0);
    // printf-style formatting, cut to at most maxlen characters (maxlen <= 0: no cut).
    void SetFormatted(int maxlen, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void AppendFormatted(int maxlen, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Cuts the text to at most n characters.
    void SetLen(int n);
    // Removes up to count characters starting at pos (nothing when pos is outside the text).
    void DeleteSub(int pos, int count);

    const char* Get() const { return mText.c_str(); }
    int GetLength() const { return static_cast<int>(mText.size()); }
    bool Empty() const { return mText.empty(); }

private:
    std::string mText;
};
