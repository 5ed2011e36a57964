#pragma once
// The Component Manager as a component and its host use it: component descriptions, the
// parameter block a component entry receives, instance storage and component information.

#include <CoreFoundation/CoreFoundation.h>

extern "C" {

typedef struct ComponentRecord* Component;
typedef struct ComponentInstanceRecord* ComponentInstance;
typedef SInt32 ComponentResult;
typedef char** Handle;

enum {
    noErr = 0,
    paramErr = -50,
    memFullErr = -108,
    coreFoundationUnknownErr = -4960,
};
enum : SInt32 {
    badComponentInstance = (SInt32)0x80008001,
    badComponentSelector = (SInt32)0x80008002,
};

// Selectors every component answers.
enum {
    kComponentOpenSelect = -1,
    kComponentCloseSelect = -2,
    kComponentCanDoSelect = -3,
    kComponentVersionSelect = -4,
    kComponentRegisterSelect = -5,
    kComponentTargetSelect = -6,
    kComponentUnregisterSelect = -7,
};

typedef struct ComponentDescription {
    OSType componentType;
    OSType componentSubType;
    OSType componentManufacturer;
    UInt32 componentFlags;
    UInt32 componentFlagsMask;
} ComponentDescription;

// The parameter block of one request to a component entry.
//
// Layout (64-bit): `flags` (8 bits), `paramSize` (8 bits, the number of argument bytes that
// follow the header), `what` (16 bits, the selector), 4 bytes of padding, then 8-byte slots.
// Slot 0 holds the component instance; the selector's arguments follow in the order of the
// SDK function's signature, one per slot: AudioUnitGetProperty(ci, id, scope, element, data,
// ioDataSize) puts id in slot 1, scope in 2, element in 3, data in 4 and ioDataSize in 5.
// Pointers fill their slot; integers are widened to 64 bits (signed ones sign-extended); a
// Float32 occupies the low 4 bytes of its slot. ComponentParametersSlots below reads and
// writes them; host and component both rely on this layout.
typedef struct ComponentParameters {
    UInt8 flags;
    UInt8 paramSize;
    SInt16 what;
    UInt32 padding;
    UInt64 params[1];
} ComponentParameters;

static_assert(sizeof(ComponentDescription) == 20);
static_assert(offsetof(ComponentParameters, params) == 8);

typedef ComponentResult (*ComponentRoutine)(ComponentParameters* params, void* storage);

void SetComponentInstanceStorage(ComponentInstance instance, Handle storage);
// The pointer stored for the instance, or null.
Handle GetComponentInstanceStorage(ComponentInstance instance);
// Accepts a component or one of its instances. The handles are not filled here.
OSErr GetComponentInfo(Component component, ComponentDescription* description, Handle name,
                       Handle info, Handle icon);

} // extern "C"

#include <cstring>
#include <type_traits>

// Reading and writing the slots of a parameter block (see ComponentParameters above).
namespace ComponentParametersSlots {

inline constexpr int kMaxSlots = 16;
inline constexpr size_t kBlockSize = 8 + 8 * kMaxSlots;

// Slot i (0 = the component instance).
inline UInt64* Slot(ComponentParameters* p, int i) {
    return &p->params[0] + i;
}

template <typename T> T Get(ComponentParameters* p, int i) {
    const UInt64 raw = *Slot(p, i);
    if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<T>(static_cast<uintptr_t>(raw));
    } else if constexpr (std::is_floating_point_v<T>) {
        static_assert(sizeof(T) == 4, "a slot holds a Float32");
        T value;
        const UInt32 bits = static_cast<UInt32>(raw);
        std::memcpy(&value, &bits, 4);
        return value;
    } else {
        return static_cast<T>(raw);
    }
}

template <typename T> void Put(ComponentParameters* p, int i, T value) {
    UInt64 raw;
    if constexpr (std::is_pointer_v<T>) {
        raw = static_cast<UInt64>(reinterpret_cast<uintptr_t>(value));
    } else if constexpr (std::is_floating_point_v<T>) {
        static_assert(sizeof(T) == 4, "a slot holds a Float32");
        UInt32 bits;
        std::memcpy(&bits, &value, 4);
        raw = bits;
    } else if constexpr (std::is_signed_v<T>) {
        raw = static_cast<UInt64>(static_cast<int64_t>(value));
    } else {
        raw = static_cast<UInt64>(value);
    }
    *Slot(p, i) = raw;
}

} // namespace ComponentParametersSlots
