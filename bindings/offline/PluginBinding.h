#pragma once

// Selects the offline binding for plug-ins built against this folder.
#include "IPluginOffline.h"

class IGraphics;

using PluginBinding = IPluginOffline;

// The editor surface this binding gives a plug-in: a headless one, drawn in memory, unless a
// program that plays the host has chosen another (a real window, say) before creating it.
IGraphics* MakeGraphics(IPluginBase* plug, int w, int h, int fps);
using GraphicsFactory = IGraphics* (*)(IPluginBase* plug, int w, int h, int fps);
void SetGraphicsFactory(GraphicsFactory factory);
