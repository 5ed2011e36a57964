// The Karvelund LV2 editor module: the instrument built on the LV2 editor binding.
#include "Karvelund.h"
#include "LV2UIPlugin.h"

IPluginLV2UI* CreateLV2UIPlugin() {
    return MakePlug();
}
