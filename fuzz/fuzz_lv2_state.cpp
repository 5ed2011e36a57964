// The values an LV2 host hands to the state interface's restore when it reopens a project or
// loads a preset: any keys, types, sizes and bytes, restored while the instance is deactivated
// or while it runs. A state the instance takes must save back to itself and play sanely; one
// it refuses must change nothing, neither now nor in the next block.
#include "LV2FuzzUnit.h"

namespace {

using kvfuzz::LV2FuzzUnit;
using kvfuzz::LV2StoredState;

// The chord of the checks through the events port and run().
class LV2Player : public kvfuzz::Player {
public:
    explicit LV2Player(LV2FuzzUnit& unit) : mUnit(unit) {}
    void Midi(int offset, int status, int data1, int data2) override {
        mUnit.QueueMidi(offset, status, data1, data2);
    }
    const double* Render(int n) override {
        const float* left = mUnit.Run(n);
        for (int i = 0; i < n; ++i)
            mOut[i] = left[i];
        return mOut;
    }

private:
    LV2FuzzUnit& mUnit;
    double mOut[kMaxBlock] = {};
};

// The values the instance saves now.
LV2StoredState Saved(LV2FuzzUnit& unit, const char* after) {
    LV2StoredState saved;
    if (!unit.Save(&saved)) kvfuzz::Fail("the instance does not save after %s", after);
    return saved;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LV2FuzzUnit& unit = LV2FuzzUnit::Get();
    const LV2StoredState state = LV2StoredState::Decode(data, size);
    if (unit.Restore(state) != 0) {
        // Nothing changed, and nothing waits for the next block either.
        kvfuzz::RequireUnchanged(unit.Plug(), unit.Pristine(), "a refused state");
        if (Saved(unit, "a refused state").values != unit.PristineSave().values)
            kvfuzz::Fail("a refused state is waiting to be applied");
        return 0;
    }
    // Saving and restoring again is a fixed point, also through the hand-over to run().
    LV2StoredState saved = Saved(unit, "a restored state");
    saved.whileRunning = state.whileRunning;
    if (unit.Restore(saved) != 0) kvfuzz::Fail("a restored state does not restore again");
    if (Saved(unit, "restoring a saved state").values != saved.values)
        kvfuzz::Fail("a restored state does not restore to itself");
    LV2Player player(unit);
    kvfuzz::RequireSaneOutput(player, "restoring a state");
    unit.Restart();
    return 0;
}
