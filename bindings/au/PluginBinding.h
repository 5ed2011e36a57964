#pragma once

// Selects the AudioUnit binding for plug-ins built against this folder.
#include "IPluginAU.h"

class IGraphics;

using PluginBinding = IPluginAU;

// The editor surface this binding gives a plug-in: drawn in memory, with images from the
// plug-in's bundle.
IGraphics* MakeGraphics(IPluginBase* plug, int w, int h, int fps);
