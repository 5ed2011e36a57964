#pragma once
// Finding a font file by family name, weight and slant through fontconfig.

#include <string>

namespace kv_text {

struct FontFile {
    std::string path;
    int index = 0;                 // face inside the file
    bool synthesizeBold = false;   // bold was asked for but the file is not bold
    bool synthesizeItalic = false; // italic was asked for but the file is upright
};

// The installed font closest to the request; a family that is not installed falls back to the
// default sans font. False only when fontconfig finds no font at all.
bool findFontFile(const char* family, int weight, bool italic, FontFile* out);

} // namespace kv_text
