#include "PluginBinding.h"

#include "IGraphicsX11.h"

IGraphics* MakeGraphics(IPluginBase* plug, int w, int h, int fps) {
    return new IGraphicsX11(plug, w, h, fps);
}
