// Bank files (.kvb) as a user opens them: a bank that loads must play sanely in the program it
// selects and in its last one, a refused one must change nothing.
#include "FuzzKit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Karvelund& plug = kvfuzz::Instrument();
    if (!kvfuzz::LoadFile(plug, data, size, &IPluginBase::LoadBankFromChunk, "a refused bank file"))
        return 0;
    kvfuzz::RequireSaneOutput(plug, "loading a bank file");
    if (plug.RestorePreset(plug.NPresets() - 1))
        kvfuzz::RequireSaneOutput(plug, "selecting the last program of a loaded bank");
    kvfuzz::Restart();
    return 0;
}
