// Program files (.kvp) as a user opens them: a file that loads must play sanely, a refused one
// must change nothing.
#include "FuzzKit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Karvelund& plug = kvfuzz::Instrument();
    if (!kvfuzz::LoadFile(plug, data, size, &IPluginBase::LoadProgramFromChunk,
                          "a refused program file"))
        return 0;
    kvfuzz::RequireSaneOutput(plug, "loading a program file");
    kvfuzz::Restart();
    return 0;
}
