#include "FuzzKit.h"

#include <memory>

namespace kvfuzz {

namespace {

constexpr double kRate = 48000.0;
constexpr int kMaxBlock = 4096;

std::unique_ptr<Karvelund> gPlug;
Snapshot gPristine;

} // namespace

Karvelund& Instrument() {
    if (!gPlug) {
        UseInstalledFactoryBank();
        gPlug.reset(MakePlug());
        gPlug->Initialize(kRate, kMaxBlock);
        gPristine = Capture(*gPlug);
    }
    return *gPlug;
}

const Snapshot& Pristine() {
    Instrument();
    return gPristine;
}

void Restart() {
    Karvelund& plug = Instrument();
    RestoreStored(plug, gPristine);
    plug.ClearPlayingState();
}

void RequireSaneOutput(Karvelund& plug, const char* after) {
    struct OfflinePlayer : Player {
        explicit OfflinePlayer(Karvelund& plug) : plug(plug) {}
        void Midi(int offset, int status, int data1, int data2) override {
            plug.SendMidiToPlug(IMidiMsg(offset, static_cast<unsigned char>(status),
                                         static_cast<unsigned char>(data1),
                                         static_cast<unsigned char>(data2)));
        }
        const double* Render(int n) override {
            double* outputs[2] = {left, right};
            plug.Render(outputs, n);
            return left;
        }
        Karvelund& plug;
        double left[kMaxBlock] = {}, right[kMaxBlock] = {};
    } player(plug);
    kvfuzz::RequireSaneOutput(player, after);
}

bool LoadFile(Karvelund& plug, const uint8_t* data, size_t size,
              bool (IPluginBase::*load)(const ByteChunk*), const char* refused) {
    ByteChunk file;
    file.PutBytes(data, static_cast<int>(size));
    if ((plug.*load)(&file)) return true;
    // Every run starts from the pristine instrument.
    RequireUnchanged(plug, Pristine(), refused);
    return false;
}

} // namespace kvfuzz
