#pragma once

// The instrument as an LV2 plug-in, driven through its descriptor as a host drives it: one
// instance per process, 48 kHz, blocks of up to 4096 frames, the events and audio ports
// connected (the control ports are left unconnected, so only restored state moves the
// parameters). Shared by the state target and the program that writes its seeds.
//
// A state is a list of stored values, one per key, as a host keeps them in its project. As
// fuzz input it is a byte string: a flags byte (bit 0: restore while the instance runs, so the
// state reaches it through the next block; else restore while it is deactivated), then
// records of key (byte), type (byte), size (16 bits, little-endian) and that many value bytes
// (fewer when the input ends first). The key byte picks the parameter state, the preset, the
// preset names or a key of some other plug-in; the type byte picks atom:Chunk, atom:Int,
// atom:Long, atom:Float, atom:String or no type. A key stored twice keeps its first value.

#include "FuzzCheck.h"
#include "Karvelund.h"

#include <cstdint>
#include <vector>

namespace kvfuzz {

struct LV2StoredValue {
    uint8_t key = 0;  // an index into LV2FuzzUnit's keys
    uint8_t type = 0; // an index into LV2FuzzUnit's types
    std::vector<uint8_t> bytes;
    bool operator==(const LV2StoredValue&) const = default;
};

struct LV2StoredState {
    bool whileRunning = false;
    std::vector<LV2StoredValue> values;
    bool operator==(const LV2StoredState&) const = default;

    static LV2StoredState Decode(const uint8_t* data, size_t size);
    std::vector<uint8_t> Encode() const;
};

class LV2FuzzUnit {
public:
    static constexpr int kMaxBlock = 4096;

    static LV2FuzzUnit& Get();

    Karvelund& Plug() { return *mPlug; }
    const Snapshot& Pristine() const { return mPristine; }
    // What the instance saved when it was new.
    const LV2StoredState& PristineSave() const { return mPristineSave; }

    // The state interface's restore with these stored values: deactivated around it unless
    // whileRunning. The status it returns (0 is success).
    int Restore(const LV2StoredState& state);
    // The state interface's save; false when it failed.
    bool Save(LV2StoredState* state);

    // run() for n frames (at most kMaxBlock) with the MIDI messages queued since the last
    // one; returns the left output.
    void QueueMidi(int offset, int status, int data1, int data2);
    const float* Run(int n);

    // Puts the instance back where it started, as after instantiate and activate.
    void Restart();

private:
    LV2FuzzUnit();

    void* mHandle = nullptr; // the LV2 instance, living as long as the process
    const void* mDescriptor = nullptr;
    const void* mStateInterface = nullptr;
    Karvelund* mPlug = nullptr;
    Snapshot mPristine;
    LV2StoredState mPristineSave;
    std::vector<uint64_t> mEvents; // the events port's sequence (8-byte aligned)
    std::vector<uint8_t> mPending; // MIDI events queued for the next run: offset, 3 bytes
    float mLeft[kMaxBlock] = {}, mRight[kMaxBlock] = {};
};

} // namespace kvfuzz
