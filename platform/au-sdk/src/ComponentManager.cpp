// The Component Manager and the AudioUnit calls that go through a component's entry.

#include <AUSDKHost.h>
#include <AudioUnit/AUCocoaUIView.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace slots = ComponentParametersSlots;

// Both records start with a tag, so that a handle can be told apart as either.
enum : UInt32 { kComponentTag = 'cmpt', kInstanceTag = 'inst' };

struct ComponentRecord {
    UInt32 tag = kComponentTag;
    ComponentDescription description;
    ComponentRoutine entry;
};

struct ComponentInstanceRecord {
    UInt32 tag = kInstanceTag;
    ComponentRecord* component; // null for a view instance opened without a component
    ComponentRoutine entry;
    Handle storage = nullptr;
};

namespace {

struct ParameterBlock {
    alignas(8) unsigned char bytes[slots::kBlockSize] = {};
    ComponentParameters* Get() { return reinterpret_cast<ComponentParameters*>(bytes); }
};

OSStatus Call(ComponentInstance instance, SInt16 selector, int nArgs, ComponentParameters* p) {
    if (!instance || !instance->entry || nArgs < 0 || nArgs >= slots::kMaxSlots)
        return badComponentInstance;
    p->flags = 0;
    p->paramSize = static_cast<UInt8>(8 * nArgs);
    p->what = selector;
    slots::Put(p, 0, instance);
    return instance->entry(p, instance->storage);
}

// Builds a block from the arguments (slot 1 on) and calls the instance's entry.
template <typename... Args>
OSStatus CallWith(ComponentInstance unit, SInt16 selector, Args... args) {
    ParameterBlock block;
    int slot = 1;
    (slots::Put(block.Get(), slot++, args), ...);
    return Call(unit, selector, static_cast<int>(sizeof...(args)), block.Get());
}

struct EventListener {
    AUSDKEventListenerProc proc;
    void* refCon;
};

std::mutex gListenerMutex;
std::vector<EventListener> gEventListeners;

std::mutex gClassMutex;
std::map<std::string, AUCocoaUIFactoryAlloc>& Classes() {
    static auto* classes = new std::map<std::string, AUCocoaUIFactoryAlloc>;
    return *classes;
}

} // namespace

extern "C" {

// ---- Components and instances ----

Component AUSDKRegisterComponent(const ComponentDescription* description, ComponentRoutine entry) {
    if (!description || !entry) return nullptr;
    return new ComponentRecord{kComponentTag, *description, entry};
}

void AUSDKUnregisterComponent(Component component) {
    delete component;
}

ComponentInstance AUSDKOpenInstance(Component component) {
    if (!component) return nullptr;
    auto* instance = new ComponentInstanceRecord{kInstanceTag, component, component->entry};
    ParameterBlock block;
    if (Call(instance, kComponentOpenSelect, 0, block.Get()) != noErr) {
        delete instance;
        return nullptr;
    }
    return instance;
}

OSStatus AUSDKCloseInstance(ComponentInstance instance) {
    if (!instance) return badComponentInstance;
    ParameterBlock block;
    const OSStatus result = Call(instance, kComponentCloseSelect, 0, block.Get());
    delete instance;
    return result;
}

OSStatus AUSDKCallEntry(ComponentInstance instance, SInt16 selector, int nArgs,
                        ComponentParameters* params) {
    return Call(instance, selector, nArgs, params);
}

ComponentInstance AUSDKOpenViewInstance(ComponentRoutine viewEntry) {
    if (!viewEntry) return nullptr;
    auto* instance = new ComponentInstanceRecord{kInstanceTag, nullptr, viewEntry};
    ParameterBlock block;
    if (Call(instance, kComponentOpenSelect, 0, block.Get()) != noErr) {
        delete instance;
        return nullptr;
    }
    return instance;
}

OSStatus AUSDKCallViewEntry(ComponentInstance view, SInt16 selector, int nArgs,
                            ComponentParameters* params) {
    return Call(view, selector, nArgs, params);
}

OSStatus AUSDKCloseViewInstance(ComponentInstance view) {
    return AUSDKCloseInstance(view);
}

void SetComponentInstanceStorage(ComponentInstance instance, Handle storage) {
    if (instance) instance->storage = storage;
}

Handle GetComponentInstanceStorage(ComponentInstance instance) {
    return instance ? instance->storage : nullptr;
}

// Accepts a component or one of its instances, as the platform does.
OSErr GetComponentInfo(Component component, ComponentDescription* description, Handle, Handle,
                       Handle) {
    if (!component) return paramErr;
    const ComponentRecord* record = component;
    if (component->tag == kInstanceTag)
        record = reinterpret_cast<ComponentInstanceRecord*>(component)->component;
    if (!record || record->tag != kComponentTag) return paramErr;
    if (description) *description = record->description;
    return noErr;
}

// ---- AudioUnit calls ----

OSStatus AudioUnitInitialize(AudioUnit unit) {
    return CallWith(unit, kAudioUnitInitializeSelect);
}
OSStatus AudioUnitUninitialize(AudioUnit unit) {
    return CallWith(unit, kAudioUnitUninitializeSelect);
}
OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize,
                                  Boolean* outWritable) {
    return CallWith(unit, kAudioUnitGetPropertyInfoSelect, id, scope, element, outDataSize,
                    outWritable);
}
OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, void* outData, UInt32* ioDataSize) {
    return CallWith(unit, kAudioUnitGetPropertySelect, id, scope, element, outData, ioDataSize);
}
OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, const void* inData, UInt32 inDataSize) {
    return CallWith(unit, kAudioUnitSetPropertySelect, id, scope, element, inData, inDataSize);
}
OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* outValue) {
    return CallWith(unit, kAudioUnitGetParameterSelect, id, scope, element, outValue);
}
OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value,
                               UInt32 bufferOffsetInFrames) {
    return CallWith(unit, kAudioUnitSetParameterSelect, id, scope, element, value,
                    bufferOffsetInFrames);
}
OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element) {
    return CallWith(unit, kAudioUnitResetSelect, scope, element);
}
OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id,
                                      AudioUnitPropertyListenerProc proc, void* userData) {
    return CallWith(unit, kAudioUnitAddPropertyListenerSelect, id, proc, userData);
}
OSStatus AudioUnitRemovePropertyListener(AudioUnit unit, AudioUnitPropertyID id,
                                         AudioUnitPropertyListenerProc proc) {
    return CallWith(unit, kAudioUnitRemovePropertyListenerSelect, id, proc);
}
OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc,
                                                     void* userData) {
    return CallWith(unit, kAudioUnitRemovePropertyListenerWithUserDataSelect, id, proc, userData);
}
OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon) {
    return CallWith(unit, kAudioUnitAddRenderNotifySelect, proc, refCon);
}
OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon) {
    return CallWith(unit, kAudioUnitRemoveRenderNotifySelect, proc, refCon);
}
OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags,
                         const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber,
                         UInt32 inNumberFrames, AudioBufferList* ioData) {
    return CallWith(unit, kAudioUnitRenderSelect, ioActionFlags, inTimeStamp, inOutputBusNumber,
                    inNumberFrames, ioData);
}
OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events,
                                     UInt32 numEvents) {
    return CallWith(unit, kAudioUnitScheduleParametersSelect, events, numEvents);
}
OSStatus MusicDeviceMIDIEvent(AudioUnit unit, UInt32 status, UInt32 data1, UInt32 data2,
                              UInt32 offsetSampleFrame) {
    return CallWith(unit, kMusicDeviceMIDIEventSelect, status, data1, data2, offsetSampleFrame);
}
OSStatus MusicDeviceSysEx(AudioUnit unit, const UInt8* data, UInt32 length) {
    return CallWith(unit, kMusicDeviceSysExSelect, data, length);
}
OSStatus MusicDeviceStartNote(AudioUnit unit, MusicDeviceInstrumentID instrument,
                              MusicDeviceGroupID groupID, NoteInstanceID* outNoteInstanceID,
                              UInt32 offsetSampleFrame, const MusicDeviceNoteParams* params) {
    return CallWith(unit, kMusicDeviceStartNoteSelect, instrument, groupID, outNoteInstanceID,
                    offsetSampleFrame, params);
}
OSStatus MusicDeviceStopNote(AudioUnit unit, MusicDeviceGroupID groupID,
                             NoteInstanceID noteInstanceID, UInt32 offsetSampleFrame) {
    return CallWith(unit, kMusicDeviceStopNoteSelect, groupID, noteInstanceID, offsetSampleFrame);
}

// ---- Events ----

void AUSDKAddEventListener(AUSDKEventListenerProc proc, void* refCon) {
    std::lock_guard<std::mutex> lock(gListenerMutex);
    gEventListeners.push_back({proc, refCon});
}

void AUSDKRemoveEventListener(AUSDKEventListenerProc proc, void* refCon) {
    std::lock_guard<std::mutex> lock(gListenerMutex);
    std::erase_if(gEventListeners,
                  [&](const EventListener& l) { return l.proc == proc && l.refCon == refCon; });
}

OSStatus AUEventListenerNotify(AUEventListenerRef, void*, const AudioUnitEvent* event) {
    if (!event) return paramErr;
    std::lock_guard<std::mutex> lock(gListenerMutex);
    for (const EventListener& l : gEventListeners)
        l.proc(l.refCon, event);
    return noErr;
}

// ---- Class runtime ----

bool AUClassRuntimeRegister(const char* className, AUCocoaUIFactoryAlloc alloc) {
    if (!className || !alloc) return false;
    std::lock_guard<std::mutex> lock(gClassMutex);
    return Classes().emplace(className, alloc).second;
}

void AUClassRuntimeUnregister(const char* className) {
    if (!className) return;
    std::lock_guard<std::mutex> lock(gClassMutex);
    Classes().erase(className);
}

AUCocoaUIBase* AUClassRuntimeCreate(const char* className) {
    if (!className) return nullptr;
    AUCocoaUIFactoryAlloc alloc = nullptr;
    {
        std::lock_guard<std::mutex> lock(gClassMutex);
        auto it = Classes().find(className);
        if (it != Classes().end()) alloc = it->second;
    }
    return alloc ? alloc() : nullptr;
}

} // extern "C"
