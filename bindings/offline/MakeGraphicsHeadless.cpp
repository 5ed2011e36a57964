#include "PluginBinding.h"

#include "IGraphicsHeadless.h"

namespace {

GraphicsFactory gFactory = nullptr;

} // namespace

void SetGraphicsFactory(GraphicsFactory factory) {
    gFactory = factory;
}

IGraphics* MakeGraphics(IPluginBase* plug, int w, int h, int fps) {
    if (gFactory) return gFactory(plug, w, h, fps);
    return new IGraphicsHeadless(plug, w, h, fps);
}
