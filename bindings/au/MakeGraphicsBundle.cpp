#include "IGraphicsAUBundle.h"
#include "PluginBinding.h"

IGraphics* MakeGraphics(IPluginBase* plug, int w, int h, int fps) {
    return new IGraphicsAUBundle(plug, w, h, fps, static_cast<IPluginAU*>(plug)->GetBundleID());
}
