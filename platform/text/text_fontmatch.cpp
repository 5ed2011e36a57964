#include "text_fontmatch.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <mutex>
#include <strings.h>

namespace kv_text {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// Families the editor asks for that are not installed on Linux and have no metric alias in
// fontconfig; each gets a generic family of the same kind as its fallback.
const char* genericFallback(const char* family) {
    static constexpr const char* kMonospaced[] = {"Monaco", "Menlo"};
    for (const char* name : kMonospaced) {
        if (strcasecmp(family, name) == 0) return "monospace";
    }
    return nullptr;
}

int fcWeight(int weight) {
    if (weight <= 0) weight = 400;
    return FcWeightFromOpenType(weight > 1000 ? 1000 : weight);
}

} // namespace

bool findFontFile(const char* family, int weight, bool italic, FontFile* out) {
    static std::mutex fontconfig; // one fontconfig query at a time
    std::lock_guard<std::mutex> lock(fontconfig);
    if (!FcInit()) return false;

    Pattern pattern(FcPatternCreate());
    if (!pattern) return false;
    if (family && *family) {
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
        if (const char* generic = genericFallback(family)) {
            FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(generic));
        }
    }
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, fcWeight(weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());

    FcResult result = FcResultNoMatch;
    Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match) return false;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file) return false;
    out->path = reinterpret_cast<const char*>(file);
    int index = 0, matchedWeight = FC_WEIGHT_REGULAR, matchedSlant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &matchedWeight);
    FcPatternGetInteger(match.get(), FC_SLANT, 0, &matchedSlant);
    out->index = index;
    out->synthesizeBold = weight >= 600 && matchedWeight < FC_WEIGHT_DEMIBOLD;
    out->synthesizeItalic = italic && matchedSlant == FC_SLANT_ROMAN;
    return true;
}

} // namespace kv_text
