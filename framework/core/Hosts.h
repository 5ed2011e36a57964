#pragma once

// Host applications the framework recognises.
enum EHost {
    kHostUninit = -1,
    kHostUnknown = 0,
    kHostReaper = 1,
    kHostProTools = 2,
    kHostCubase = 3,
    kHostNuendo = 4,
    kHostSonar = 5,
    kHostVegas = 6,
    kHostFLStudio = 7,
    kHostSamplitude = 8,
    kHostLive = 9,
    kHostMelodyne = 12,
    kHostVSTScanner = 13,
    kHostAULab = 14,
    kHostForte = 15,
    kHostChainer = 16,
    kHostAudition = 17,
    kHostOrion = 18,
    kHostSAWStudio = 20,
    kHostLogic = 21,
    kHostGarageBand = 22,
    kHostDigitalPerformer = 23,
    kHostStandalone = 24,
    kHostAudioMulch = 25,
    kHostStudioOne = 26,
    kHostVST3TestHost = 27,
    kHostArdour = 28,
};

// Identifies a host from its name or bundle identifier (case-insensitive substring search
// in a fixed order; the first 255 characters count). kHostUnknown when nothing matches.
EHost LookUpHost(const char* hostName);

// Copies the host's display name into out (at least 19 bytes) and returns out; "Unknown" for
// any value without a name.
char* GetHostNameStr(int host, char* out);
