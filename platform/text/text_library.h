#pragma once
// The process's FreeType library handle, shared by every font and freed with the last one.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <mutex>

namespace kv_text {

class FreeTypeLibrary {
public:
    // The shared library, created on first use; null when FreeType cannot start.
    static std::shared_ptr<FreeTypeLibrary> acquire();
    ~FreeTypeLibrary();
    FreeTypeLibrary(const FreeTypeLibrary&) = delete;
    FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;

    // Opens face `index` of a font file; null on failure. Guarded: FreeType needs creating and
    // freeing faces of one library serialised.
    FT_Face openFace(const char* path, int index);
    void closeFace(FT_Face face);

private:
    FreeTypeLibrary() = default;
    FT_Library m_library = nullptr;
    std::mutex m_mutex;
};

} // namespace kv_text
