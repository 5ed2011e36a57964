#pragma once

// Selects the LV2 binding for plug-ins built against this folder.
#include "IPluginLV2.h"

class IGraphics;

using PluginBinding = IPluginLV2;

// The editor surface of the audio-side instance: a headless one. The host shows the editor
// from the separate UI module, which builds its own instance of the plug-in.
IGraphics* MakeGraphics(IPluginBase* plug, int w, int h, int fps);
