#include "PluginBinding.h"

#include "IGraphicsHeadless.h"

IGraphics* MakeGraphics(IPluginBase* plug, int w, int h, int fps) {
    return new IGraphicsHeadless(plug, w, h, fps);
}
