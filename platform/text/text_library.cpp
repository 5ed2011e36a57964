#include "text_library.h"

namespace kv_text {

std::shared_ptr<FreeTypeLibrary> FreeTypeLibrary::acquire() {
    static std::mutex creation;
    static std::weak_ptr<FreeTypeLibrary> shared;
    std::lock_guard<std::mutex> lock(creation);
    if (auto existing = shared.lock()) return existing;
    std::shared_ptr<FreeTypeLibrary> lib(new FreeTypeLibrary());
    if (FT_Init_FreeType(&lib->m_library) != 0) {
        lib->m_library = nullptr;
        return nullptr;
    }
    shared = lib;
    return lib;
}

FreeTypeLibrary::~FreeTypeLibrary() {
    if (m_library) FT_Done_FreeType(m_library);
}

FT_Face FreeTypeLibrary::openFace(const char* path, int index) {
    std::lock_guard<std::mutex> lock(m_mutex);
    FT_Face face = nullptr;
    if (FT_New_Face(m_library, path, index, &face) != 0) return nullptr;
    return face;
}

void FreeTypeLibrary::closeFace(FT_Face face) {
    if (!face) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    FT_Done_Face(face);
}

} // namespace kv_text
