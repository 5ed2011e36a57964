#include "IGraphicsAUBundle.h"

#include "AUStrings.h"
#include "raster/raster_png.h"

#include <CoreFoundation/CoreFoundation.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <string>

IGraphicsAUBundle::IGraphicsAUBundle(IPluginBase* plug, int w, int h, int fps, const char* bundleID)
    : IGraphicsHeadless(plug, w, h, fps) {
    mBundleID.Set(bundleID);
}

RAST_IBitmap* IGraphicsAUBundle::OSLoadBitmap(int, const char* name) {
    if (!name) return nullptr;
    const char* dot = std::strrchr(name, '.');
    if (!dot || strcasecmp(dot + 1, "png") != 0) return nullptr;
    const char* slash = std::strrchr(name, '/');
    const char* base = slash ? slash + 1 : name;
    const std::string resource(base, static_cast<size_t>(dot - base));

    CFReleaser bundleID(MakeCFString(mBundleID.Get()));
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(static_cast<CFStringRef>(bundleID.Get()));
    if (!bundle) return nullptr;
    CFReleaser resourceName(MakeCFString(resource.c_str()));
    CFReleaser url(CFBundleCopyResourceURL(bundle, static_cast<CFStringRef>(resourceName.Get()),
                                           CFSTR("png"), nullptr));
    char path[PATH_MAX];
    if (!url.Get() ||
        !CFURLGetFileSystemRepresentation(static_cast<CFURLRef>(url.Get()), true,
                                          reinterpret_cast<UInt8*>(path), sizeof(path)))
        return nullptr;
    return RAST_LoadPNG(path);
}
