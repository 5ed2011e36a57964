#pragma once

// Selects the offline binding for plug-ins built against this folder.
#include "IPluginOffline.h"

class IGraphics;

using PluginBinding = IPluginOffline;

// The editor surface this binding gives a plug-in: a headless one, drawn in memory.
IGraphics* MakeGraphics(IPluginBase* plug, int w, int h, int fps);
