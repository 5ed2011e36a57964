// The state a host stores in its project and hands back: a state that restores must play
// sanely and save back to what it restored, a refused one must change nothing.
#include "FuzzKit.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Karvelund& plug = kvfuzz::Instrument();
    ByteChunk chunk;
    chunk.PutBytes(data, static_cast<int>(size));
    if (plug.UnserializeState(&chunk, 0) < 0) {
        kvfuzz::RequireUnchanged(plug, kvfuzz::Pristine(), "a refused state");
        return 0;
    }
    // Saving and restoring again is a fixed point.
    ByteChunk restored, again;
    plug.SerializeState(&restored);
    if (plug.UnserializeState(&restored, 0) < 0 || !plug.SerializeState(&again) ||
        again.Size() != restored.Size() ||
        std::memcmp(again.GetBytes(), restored.GetBytes(), static_cast<size_t>(again.Size())) != 0)
        kvfuzz::Fail("a restored state does not restore to itself");
    kvfuzz::RequireSaneOutput(plug, "restoring a state");
    kvfuzz::Restart();
    return 0;
}
