#pragma once

// A small LV2 host on lilv for the tests: loads karvelund.lv2 from the build tree, makes
// instances with their ports connected to buffers it owns, delivers MIDI and transport events
// with frame offsets, applies presets and states as hosts do.

#include <lilv/lilv.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class LilvHost {
public:
    LilvHost();
    ~LilvHost();
    LilvHost(const LilvHost&) = delete;
    LilvHost& operator=(const LilvHost&) = delete;

    LilvWorld* world() const { return mWorld; }
    const LilvPlugin* plugin() const { return mPlugin; }
    uint32_t map(const char* uri);
    const char* unmap(uint32_t urid) const;
    const LV2_Feature* const* features() const { return mFeatures.data(); }
    // The factory presets, in bank order (owned by the host).
    const std::vector<const LilvNode*>& presets();
    // The state of factory preset idx (0-based), for the caller to free.
    LilvState* presetState(int idx);
    LV2_URID_Map* uridMap() { return &mMap; }
    LV2_URID_Unmap* uridUnmap() { return &mUnmap; }
    int maxBlock = 4096;

private:
    static uint32_t MapEntry(void* handle, const char* uri);
    static const char* UnmapEntry(void* handle, uint32_t urid);

    LilvWorld* mWorld = nullptr;
    const LilvPlugin* mPlugin = nullptr;
    std::map<std::string, uint32_t> mUrids;
    std::vector<std::string> mUris;
    LV2_URID_Map mMap;
    LV2_URID_Unmap mUnmap;
    std::vector<LV2_Options_Option> mOptions;
    LV2_Feature mMapFeature, mUnmapFeature, mOptionsFeature;
    std::vector<const LV2_Feature*> mFeatures;
    std::vector<const LilvNode*> mPresets;
};

// One running instance with its port buffers.
class LilvInstanceRig {
public:
    LilvInstanceRig(LilvHost& host, double rate, bool activate = true);
    ~LilvInstanceRig();

    LilvInstance* instance() const { return mInstance; }
    void activate();
    int numControls() const { return static_cast<int>(controls.size()); }
    // Every control port back to its default.
    void setDefaults();
    void setControl(const char* symbol, float value);

    // Events for the next run(), at frames within it.
    void midi(int frame, uint8_t status, uint8_t data1, uint8_t data2);
    void position(int frame, double bpm, double speed, double frameOfPosition, double bar = -1.0,
                  double barBeat = 0.0);
    // Runs one block of n frames; the output is appended to left and right.
    void run(int n);
    // run() in its three steps: the event buffer, the plug-in's run, the outputs.
    void prepareBlock();
    void collectBlock(int n);

    // Applies a preset or state as jalv and Ardour do: restore, then the port values.
    bool apply(const LilvState* state);
    LilvState* save();

    std::vector<float> controls;
    std::vector<float> left, right;
    std::vector<float> lastLeft, lastRight; // the last block only
    // Notes the instance reported on its notify port (status bytes and notes).
    std::vector<std::pair<uint8_t, uint8_t>> notifiedNotes;

private:
    static void SetPortValue(const char* symbol, void* data, const void* value, uint32_t size,
                             uint32_t type);
    struct PendingEvent {
        int frame;
        uint32_t type;
        std::vector<uint8_t> body;
    };

    LilvHost& mHost;
    LilvInstance* mInstance = nullptr;
    bool mActive = false;
    std::vector<PendingEvent> mPending;
    std::vector<uint64_t> mEvents, mNotify; // 8-byte aligned atom buffers
    std::map<std::string, int> mControlIndex;
};

// Points the per-user data folder at an empty temporary folder for the test's lifetime.
class IsolatedUserData {
public:
    IsolatedUserData();
    ~IsolatedUserData();

private:
    std::string mFolder;
};

std::string lv2BundleDir();
