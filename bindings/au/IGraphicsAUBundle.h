#pragma once

#include "IGraphicsHeadless.h"
#include "util/UTIL_String.h"

// The editor surface of the AudioUnit build: drawn in memory, with its images loaded from the
// Resources folder of the bundle that has the plug-in's bundle identifier.
class IGraphicsAUBundle : public IGraphicsHeadless {
public:
    IGraphicsAUBundle(IPluginBase* plug, int w, int h, int fps, const char* bundleID);

    // Only names ending in "png" (any case) are loaded; the bundle's resource of the name's
    // file name without extension, of type "png". Null on any failure.
    RAST_IBitmap* OSLoadBitmap(int id, const char* name) override;

private:
    UTIL_String mBundleID;
};
