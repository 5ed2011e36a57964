#pragma once

// Selects the standalone binding for plug-ins built against this folder.
#include "IPluginStandalone.h"

class IGraphics;

using PluginBinding = IPluginStandalone;

// The editor surface this binding gives a plug-in: an X11 window.
IGraphics* MakeGraphics(IPluginBase* plug, int w, int h, int fps);
