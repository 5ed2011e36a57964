#pragma once

#include "IPluginOffline.h"

// The binding for a plug-in that is its own program (the JACK instrument): the program plays
// the host exactly as the offline renderer does, but in real time, so the plug-in is told it
// is not rendering offline.
class IPluginStandalone : public IPluginOffline {
public:
    using IPluginOffline::IPluginOffline;
    bool IsRenderingOffline() override { return false; }
};
