#pragma once

#include <cstddef>
#include <vector>

// Reads a whole regular file into out. False when the file cannot be opened, is not a
// regular file, cannot be read or is larger than maxBytes; out is then left empty.
bool UTIL_ReadFile(const char* path, std::vector<unsigned char>* out, size_t maxBytes);

// Writes size bytes to a new temporary file beside path and renames it over path, so a
// failed write leaves any earlier file at path as it was. False on any failure.
bool UTIL_WriteFileReplacing(const char* path, const void* data, size_t size);

#include <cstdio>
#include <memory>

// Closes a C stream when it goes out of scope.
struct UTIL_FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using UTIL_FilePtr = std::unique_ptr<std::FILE, UTIL_FileCloser>;
