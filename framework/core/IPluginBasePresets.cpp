// Presets: making them in code, restoring, renaming, the preset list and source dumps.
#include "core/IPluginBase.h"

#include "core/Log.h"
#include "util/UTIL_Base64.h"
#include "util/UTIL_File.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

bool IsIntegerKind(EParamType type) {
    return type == kTypeBool || type == kTypeInt || type == kTypeEnum;
}

// Integer kinds take integers: the value is truncated as an int argument would be.
double PresetValueFor(const IParam* param, double value) {
    return IsIntegerKind(param->Type()) && std::isfinite(value) ? std::trunc(value) : value;
}

} // namespace

IPreset* IPluginBase::FirstUninitializedPreset() {
    for (int i = 0; i < NPresets(); ++i) {
        if (!mPresets.Get(i)->mInitialized) return mPresets.Get(i);
    }
    return nullptr;
}

void IPluginBase::MakeDefaultPreset(const char* name, int nPresets) {
    for (int i = 0; i < nPresets; ++i) {
        IPreset* preset = FirstUninitializedPreset();
        if (!preset) return;
        preset->mInitialized = true;
        preset->SetName(name ? name : "Empty");
        preset->mChunk.Clear();
        SerializeState(&preset->mChunk);
    }
}

void IPluginBase::MakePresetFromValues(const char* name, const double* values, int nValues) {
    std::vector<double> pairs;
    for (int i = 0; i < std::min(nValues, NParams()); ++i) {
        pairs.push_back(i);
        pairs.push_back(values[i]);
    }
    const int nPairs = static_cast<int>(pairs.size() / 2);
    MakePresetFromNamedValues(name, nPairs, pairs.data(), static_cast<int>(pairs.size()));
}

void IPluginBase::MakePresetFromNamedValues(const char* name, int nParamsNamed, const double* pairs,
                                            int nPairValues) {
    const int n = NParams();
    std::vector<double> values(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        values[static_cast<size_t>(i)] = GetParam(i)->Value();
    for (int k = 0; k < nParamsNamed && 2 * k + 1 < nPairValues; ++k) {
        const double idx = pairs[2 * k];
        const int paramIdx =
            std::isfinite(idx) && std::fabs(idx) < n + 1.0 ? static_cast<int>(idx) : -1;
        assert(paramIdx >= 0 && paramIdx < n);
        if (paramIdx < 0 || paramIdx >= n) continue;
        values[static_cast<size_t>(paramIdx)] =
            PresetValueFor(GetParam(paramIdx), pairs[2 * k + 1]);
    }
    ByteChunk chunk;
    for (double value : values)
        chunk.Put(&value);
    MakePresetFromChunk(name, &chunk);
}

void IPluginBase::MakePresetFromChunk(const char* name, const ByteChunk* chunk) {
    IPreset* preset = FirstUninitializedPreset();
    if (!preset) return;
    preset->mInitialized = true;
    preset->SetName(name);
    preset->mChunk.Clear();
    preset->mChunk.PutChunk(chunk);
}

void IPluginBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk) {
    ByteChunk chunk;
    chunk.Resize(std::max(sizeOfChunk, 0));
    base64decode(blob, chunk.GetBytes(), chunk.Size());
    MakePresetFromChunk(name, &chunk);
}

void IPluginBase::EnsureDefaultPreset() {
    MakeDefaultPreset("Empty", NPresets());
}

void IPluginBase::PruneUninitializedPresets() {
    for (int i = NPresets() - 1; i >= 0; --i) {
        if (!mPresets.Get(i)->mInitialized) mPresets.Delete(i);
    }
}

void IPluginBase::MakeDefaultUserPresetName(UTIL_String* name) const {
    static const char kUserPreset[] = "user preset";
    int count = 0;
    for (int i = 0; i < NPresets(); ++i) {
        if (std::strstr(mPresets.Get(i)->mName, kUserPreset)) ++count;
    }
    name->SetFormatted(IPreset::kNameLen - 1, "%s %d", kUserPreset, count + 1);
}

bool IPluginBase::RestorePreset(int idx) {
    IMutexLock lock(this);
    IPreset* preset = mPresets.Get(idx);
    if (!preset) return false;
    if (!preset->mInitialized) {
        UTIL_String name;
        MakeDefaultUserPresetName(&name);
        preset->mInitialized = true;
        preset->SetName(name.Get());
        preset->mChunk.Clear();
        if (!SerializeState(&preset->mChunk)) return false;
    } else {
        // A stored state that would not load completely is refused before anything changes.
        if (CheckState(&preset->mChunk, 0) < 1) return false;
        if (UnserializeState(&preset->mChunk, 0) < 1) return false;
    }
    mCurrentPresetIdx = idx;
    PresetsChangedByHost();
    RedrawParamControls();
    return true;
}

bool IPluginBase::RestorePreset(const char* name) {
    if (!name || !*name) return false;
    for (int i = 0; i < NPresets(); ++i) {
        if (std::strcmp(mPresets.Get(i)->mName, name) == 0) return RestorePreset(i);
    }
    return false;
}

const char* IPluginBase::GetPresetName(int idx) const {
    const IPreset* preset = mPresets.Get(idx);
    return preset ? preset->mName : "";
}

void IPluginBase::CopyPresetName(int idx, UTIL_String* name) const {
    IMutexLock lock(this);
    name->Set(GetPresetName(idx));
}

void IPluginBase::ModifyCurrentPreset(const char* newName) {
    IMutexLock lock(this);
    IPreset* preset = mPresets.Get(mCurrentPresetIdx);
    if (!preset) return;
    preset->mChunk.Clear();
    Trace("ModifyCurrentPreset", __LINE__, "%d %s", mCurrentPresetIdx, preset->mName);
    SerializeState(&preset->mChunk);
    if (newName && *newName) preset->SetName(newName);
}

bool IPluginBase::SerializePresets(ByteChunk* chunk) {
    IMutexLock lock(this);
    for (int i = 0; i < NPresets(); ++i) {
        const IPreset* preset = mPresets.Get(i);
        Trace("SerializePresets", __LINE__, "%d %s", i, preset->mName);
        chunk->PutStr(preset->mName);
        chunk->PutBool(preset->mInitialized);
        if (preset->mInitialized && chunk->PutChunk(&preset->mChunk) < 1) return false;
    }
    return true;
}

int IPluginBase::CheckPresetList(const ByteChunk* chunk, int startPos) const {
    int pos = startPos;
    UTIL_String name;
    for (int i = 0; i < NPresets() && pos >= 0; ++i) {
        bool initialized = false;
        pos = chunk->GetStr(&name, pos);
        pos = chunk->GetBool(&initialized, pos);
        if (pos >= 0 && initialized) pos = CheckState(chunk, pos);
    }
    return pos;
}

int IPluginBase::UnserializePresets(const ByteChunk* chunk, int startPos) {
    if (CheckPresetList(chunk, startPos) < 0) return -1;
    IMutexLock lock(this);
    int pos = startPos;
    UTIL_String name; // shared: a zero-length name repeats the previous preset's name
    for (int i = 0; i < NPresets() && pos >= 0; ++i) {
        IPreset* preset = mPresets.Get(i);
        pos = chunk->GetStr(&name, pos);
        preset->SetName(name.Get());
        Trace("UnserializePresets", __LINE__, "%d %s", i, preset->mName);
        pos = chunk->GetBool(&preset->mInitialized, pos);
        if (pos >= 0 && preset->mInitialized) {
            pos = UnserializeState(chunk, pos);
            if (pos > 0) {
                preset->mChunk.Clear();
                SerializeState(&preset->mChunk);
            }
        }
    }
    RestorePreset(mCurrentPresetIdx);
    return pos;
}

bool IPluginBase::DumpPresetSrcCode(const char* fileName, const char* const* paramEnumNames) {
    UTIL_FilePtr file(fileName ? std::fopen(fileName, "w") : nullptr);
    if (!file) return false;
    std::fprintf(file.get(), "  MakePresetFromNamedParams(\"name\", %d", NParams());
    for (int i = 0; i < NParams(); ++i) {
        const IParam* param = GetParam(i);
        const char* enumName = paramEnumNames && paramEnumNames[i] ? paramEnumNames[i] : "?";
        std::fprintf(file.get(), ",\n    %s, ", enumName);
        switch (param->Type()) {
        case kTypeBool:
            std::fputs(param->Bool() ? "true" : "false", file.get());
            break;
        case kTypeInt:
        case kTypeEnum:
            std::fprintf(file.get(), "%d", param->Int());
            break;
        default:
            std::fprintf(file.get(), "%.6f", param->Value());
            break;
        }
    }
    std::fputs(");\n", file.get());
    return std::ferror(file.get()) == 0;
}

bool IPluginBase::DumpPresetBlob(const char* fileName) {
    const IPreset* preset = mPresets.Get(mCurrentPresetIdx);
    if (!preset) return false;
    UTIL_FilePtr file(fileName ? std::fopen(fileName, "w") : nullptr);
    if (!file) return false;
    const int size = preset->mChunk.Size();
    std::vector<char> text(static_cast<size_t>(base64EncodedLength(size)) + 1);
    base64encode(preset->mChunk.GetBytes(), text.data(), size);
    std::fputs("MakePresetFromBlob(\"name\", \"", file.get());
    std::fprintf(file.get(), "%s\", %i);\n", text.data(), size);
    return std::ferror(file.get()) == 0;
}
