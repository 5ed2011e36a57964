// The Karvelund LV2 module: the instrument built on the LV2 binding.
#include "Karvelund.h"
#include "LV2Plugin.h"

IPluginLV2* CreateLV2Plugin() {
    return MakePlug();
}
