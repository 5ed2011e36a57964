#pragma once

// Selects the LV2 editor binding for plug-ins built against this folder.
#include "IPluginLV2UI.h"

class IGraphics;

using PluginBinding = IPluginLV2UI;

// The editor surface: an X11 window inside the host's.
IGraphics* MakeGraphics(IPluginBase* plug, int w, int h, int fps);
