// The state a host stores in its project and hands back: a state that restores must play
// sanely and save back to what it restored, a refused one must change nothing.
#include "FuzzKit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Karvelund& plug = kvfuzz::Instrument();
    const kvfuzz::Snapshot before = kvfuzz::Capture(plug);
    ByteChunk chunk;
    chunk.PutBytes(data, static_cast<int>(size));
    if (plug.UnserializeState(&chunk, 0) < 0) {
        kvfuzz::RequireUnchanged(plug, before, "a refused state");
        return 0;
    }
    // Saving and restoring again is a fixed point.
    const kvfuzz::Snapshot restored = kvfuzz::Capture(plug);
    ByteChunk again;
    again.PutBytes(restored.state.data(), static_cast<int>(restored.state.size()));
    if (plug.UnserializeState(&again, 0) < 0 || kvfuzz::Capture(plug).state != restored.state)
        kvfuzz::Fail("a restored state does not restore to itself");
    kvfuzz::RequireSaneOutput(plug, "restoring a state");
    kvfuzz::Discard();
    return 0;
}
