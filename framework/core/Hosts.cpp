#include "core/Hosts.h"

#include "core/Log.h"

#include <cstring>

namespace {

struct HostPattern {
    const char* mSearch;
    EHost mHost;
};

// Order matters: the first pattern found anywhere in the name wins.
const HostPattern kPatterns[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFLStudio},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"standalone", kHostStandalone},
};

const char* DisplayName(int host) {
    switch (host) {
    case kHostReaper:
        return "Reaper";
    case kHostProTools:
        return "ProTools";
    case kHostCubase:
        return "Cubase";
    case kHostNuendo:
        return "Nuendo";
    case kHostSonar:
        return "Sonar";
    case kHostVegas:
        return "Vegas";
    case kHostFLStudio:
        return "FLStudio";
    case kHostSamplitude:
        return "Samplitude";
    case kHostLive:
        return "Live";
    case kHostVSTScanner:
        return "VSTScanner";
    case kHostAULab:
        return "AULab";
    case kHostForte:
        return "Forte";
    case kHostChainer:
        return "Chainer";
    case kHostAudition:
        return "Audition";
    case kHostOrion:
        return "Orion";
    case kHostSAWStudio:
        return "SAWStudio";
    case kHostLogic:
        return "Logic";
    case kHostGarageBand:
        return "GarageBand";
    case kHostDigitalPerformer:
        return "DigitalPerformer";
    case kHostStandalone:
        return "Standalone";
    case kHostAudioMulch:
        return "AudioMulch";
    case kHostStudioOne:
        return "StudioOne";
    case kHostVST3TestHost:
        return "VST3PluginTestHost";
    case kHostArdour:
        return "Ardour";
    default:
        return "Unknown";
    }
}

} // namespace

EHost LookUpHost(const char* hostName) {
    if (!hostName) return kHostUnknown;
    char name[256];
    std::strncpy(name, hostName, sizeof(name) - 1);
    name[sizeof(name) - 1] = '\0';
    ToLower(name, name);
    for (const HostPattern& pattern : kPatterns) {
        if (std::strstr(name, pattern.mSearch)) return pattern.mHost;
    }
    return kHostUnknown;
}

char* GetHostNameStr(int host, char* out) {
    std::strcpy(out, DisplayName(host));
    return out;
}
