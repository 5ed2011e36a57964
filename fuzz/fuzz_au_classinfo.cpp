// The ClassInfo dictionary a host hands to kAudioUnitProperty_ClassInfo when it reopens a
// project or an .aupreset: the bytes are the stored property list, read by the SDK's
// property-list reader, and whatever that reads is restored into the component. A dictionary
// the unit takes must play sanely and save back to itself. One it refuses must change nothing,
// with the one exception the binding keeps on purpose: a dictionary that names this component
// and a preset but carries no "data" still selects that preset.
#include "AUFuzzUnit.h"

#include "AUStrings.h"

#include <string>

namespace {

using kvfuzz::AUFuzzUnit;

// The dictionary's value for key when it has the type, else null.
CFTypeRef Entry(CFPropertyListRef plist, const char* key, CFTypeID type) {
    if (!plist || CFGetTypeID(plist) != CFDictionaryGetTypeID()) return nullptr;
    const CFReleaser name(MakeCFString(key));
    const void* value = CFDictionaryGetValue(static_cast<CFDictionaryRef>(plist), name.Get());
    return value && CFGetTypeID(value) == type ? value : nullptr;
}

// The chord of the checks through the unit's MIDI entry and its fast-dispatch render.
class AUPlayer : public kvfuzz::Player {
public:
    explicit AUPlayer(AUHostUnit& unit) : mUnit(unit) {}
    void Midi(int offset, int status, int data1, int data2) override {
        if (mUnit.Midi(status, data1, data2, offset) != noErr) kvfuzz::Fail("MIDI refused");
    }
    const double* Render(int n) override {
        if (mUnit.Render(static_cast<UInt32>(n), mLeft, mRight) != noErr)
            kvfuzz::Fail("the render call failed after a restored dictionary");
        for (int i = 0; i < n; ++i)
            mOut[i] = mLeft[i];
        return mOut;
    }

private:
    AUHostUnit& mUnit;
    float mLeft[kMaxBlock] = {}, mRight[kMaxBlock] = {};
    double mOut[kMaxBlock] = {};
};

// A refused dictionary changes nothing, or, without "data", only selects its named preset.
void RequireRefusalKeptState(AUFuzzUnit& au, CFPropertyListRef plist) {
    Karvelund& plug = au.Plug();
    const char* changed = kvfuzz::Difference(plug, au.Pristine());
    if (!changed) return;
    if (Entry(plist, "data", CFDataGetTypeID()))
        kvfuzz::Fail("%s changed after a refused dictionary", changed);
    const std::string name =
        CStrLocal(static_cast<CFStringRef>(Entry(plist, "name", CFStringGetTypeID())));
    const int current = plug.GetCurrentPresetIdx();
    if (name != plug.GetPresetName(current))
        kvfuzz::Fail("a refused dictionary selected preset %d, not the preset it names", current);
    // What it did must be exactly selecting that preset: the same again changes nothing.
    const kvfuzz::Snapshot selected = kvfuzz::Capture(plug);
    plug.RestorePreset(current);
    kvfuzz::RequireUnchanged(plug, selected, "selecting the preset a refused dictionary named");
    ByteChunk presets;
    plug.SerializePresets(&presets);
    if (static_cast<size_t>(presets.Size()) != au.Pristine().presets.size() ||
        !std::equal(au.Pristine().presets.begin(), au.Pristine().presets.end(), presets.GetBytes()))
        kvfuzz::Fail("the presets changed after a refused dictionary");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AUFuzzUnit& au = AUFuzzUnit::Get();
    const CFReleaser bytes(CFDataCreate(nullptr, data, static_cast<CFIndex>(size)));
    CFErrorRef error = nullptr;
    const CFReleaser plist(CFPropertyListCreateWithData(
        nullptr, static_cast<CFDataRef>(bytes.Get()), 0, nullptr, &error));
    const CFReleaser problem(error);
    if (!plist.Get()) {
        if (!error) kvfuzz::Fail("an unreadable property list without an error");
        return 0; // nothing a host could hand over
    }
    CFPropertyListRef state = plist.Get();
    if (au.Host().SetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state) !=
        noErr) {
        RequireRefusalKeptState(au, state);
        au.Restart();
        return 0;
    }
    // Saving and restoring again is a fixed point.
    const std::vector<uint8_t> saved = au.Save();
    if (saved.empty()) kvfuzz::Fail("a restored dictionary does not save");
    if (au.Host().LoadState(saved) != noErr || au.Save() != saved)
        kvfuzz::Fail("a restored dictionary does not restore to itself");
    AUPlayer player(au.Host());
    kvfuzz::RequireSaneOutput(player, "restoring a dictionary");
    au.Restart();
    return 0;
}
