// Draws the editor's images with the raster library and its text layer. Their output is
// committed; after changing the artwork, regenerate both sets from the top of the tree:
//
//   build/release/bin/make_art instrument/resources/img
//   build/release/bin/make_art --scale 2 instrument/resources/img@2x
//
// and look at the whole editor put together from them:
//
//   make_art [--scale 2] --preview editor.png           (declared defaults, about box shown)
//   make_art [--scale 2] --preview-alternate editor.png (other states, keys held)
//
// Before drawing it checks the layout (every control, its marks and its label inside a panel,
// nothing overlapping, switch texts fitting) and writes nothing when that fails.

#include "art_check.h"
#include "art_images.h"
#include "art_preview.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

int usage() {
    std::fprintf(stderr, "usage: make_art [--scale 1|2] OUT_DIR\n"
                         "       make_art [--scale 1|2] --preview|--preview-alternate FILE.png\n");
    return 2;
}

bool writeImage(const std::string& path, art::Canvas& image) {
    if (RAST_WritePNG(path.c_str(), image.bitmap())) return true;
    std::fprintf(stderr, "make_art: cannot write %s\n", path.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    int scale = 1;
    const char* previewPath = nullptr;
    art::PreviewState previewState = art::PreviewState::kDefaults;
    const char* outDir = nullptr;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--scale") == 0 && hasValue) {
            const std::string value = argv[++i];
            if (value != "1" && value != "2") return usage();
            scale = value == "2" ? 2 : 1;
        } else if (std::strcmp(argv[i], "--preview") == 0 && hasValue) {
            previewPath = argv[++i];
        } else if (std::strcmp(argv[i], "--preview-alternate") == 0 && hasValue) {
            previewPath = argv[++i];
            previewState = art::PreviewState::kAlternate;
        } else if (argv[i][0] != '-' && !outDir) {
            outDir = argv[i];
        } else {
            return usage();
        }
    }
    if (!previewPath == !outDir) return usage();

    // Images whose labels collide or leave their panels are not written.
    const std::vector<std::string> problems = art::layoutProblems();
    for (const std::string& p : problems)
        std::fprintf(stderr, "make_art: %s\n", p.c_str());
    if (!problems.empty()) return 1;

    const std::vector<art::Artwork> images = art::drawAllImages(scale);
    if (previewPath) {
        auto preview = art::composePreview(images, scale, previewState);
        return writeImage(previewPath, *preview) ? 0 : 1;
    }
    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    if (error) {
        std::fprintf(stderr, "make_art: cannot make %s: %s\n", outDir, error.message().c_str());
        return 1;
    }
    for (const art::Artwork& a : images) {
        if (!writeImage(std::string(outDir) + "/" + a.name + ".png", *a.image)) return 1;
    }
    return 0;
}
