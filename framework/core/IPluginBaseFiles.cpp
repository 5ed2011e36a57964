// Program (.kvp) and bank (.kvb) files: building, checking and loading them, and the file
// dialogs and names they are read from and written to.
#include "core/IPluginBase.h"

#include "core/FrameworkVersion.h"
#include "core/FxFileFormat.h"
#include "util/UTIL_File.h"

#include <cmath>
#include <vector>

namespace {

const char kProgramExtension[] = "kvp";
const char kBankExtension[] = "kvb";

bool IsEmpty(const char* text) {
    return !text || !*text;
}

} // namespace

// ---- Building ----

namespace {

// The framework version header followed by the given state or preset list.
template <typename Serialize> ByteChunk VersionedChunk(Serialize serialize) {
    ByteChunk chunk;
    InitChunkWithFrameworkVer(&chunk);
    serialize(&chunk);
    return chunk;
}

} // namespace

void IPluginBase::MakeProgramFile(ByteChunk* file) {
    file->Clear();
    FxHeader header{kFxContainerMagic, 0,         kFxProgramParamsMagic,
                    kFxProgramVersion, mUniqueID, GetEffectVersion(true),
                    NParams()};
    ByteChunk state;
    if (DoesStateChunks()) {
        state = VersionedChunk([this](ByteChunk* chunk) { SerializeState(chunk); });
        header.mFxMagic = kFxProgramChunkMagic;
        header.mByteSize = kFxProgramHeaderSize + 4 + state.Size();
    }
    PutFxHeader(file, header);
    PutFxName(file, GetPresetName(mCurrentPresetIdx));
    if (DoesStateChunks()) {
        PutFxChunk(file, &state);
        return;
    }
    for (int i = 0; i < NParams(); ++i) {
        PutFxFloat(file, static_cast<float>(GetParam(i)->GetNormalized()));
    }
}

void IPluginBase::MakeBankFile(ByteChunk* file) {
    file->Clear();
    FxHeader header{kFxContainerMagic, 0,         kFxBankParamsMagic,
                    kFxBankVersion,    mUniqueID, GetEffectVersion(true),
                    NPresets()};
    ByteChunk presets;
    if (DoesStateChunks()) {
        presets = VersionedChunk([this](ByteChunk* chunk) { SerializePresets(chunk); });
        header.mFxMagic = kFxBankChunkMagic;
        header.mByteSize = kFxBankHeaderSize + 4 + presets.Size();
    }
    PutFxHeader(file, header);
    PutFxInt(file, mCurrentPresetIdx);
    PutFxZeros(file, kFxBankReservedSize);
    if (DoesStateChunks()) {
        PutFxChunk(file, &presets);
        return;
    }
    const FxHeader record{kFxContainerMagic, 0,         kFxProgramParamsMagic,
                          kFxProgramVersion, mUniqueID, header.mFxVersion,
                          NParams()};
    for (int p = 0; p < NPresets(); ++p) {
        const IPreset* preset = mPresets.Get(p);
        PutFxHeader(file, record);
        PutFxName(file, preset->mName);
        int pos = 0;
        for (int i = 0; i < NParams(); ++i) {
            double value = 0.0;
            pos = preset->mChunk.Get(&value, pos);
            if (pos < 0 || !std::isfinite(value)) value = 0.0; // a value that cannot be read
            PutFxFloat(file, static_cast<float>(GetParam(i)->GetNormalized(value)));
        }
    }
}

// ---- Loading: every check happens before the first change ----

bool IPluginBase::LoadProgramFromChunk(const ByteChunk* file) {
    FxHeader header;
    char name[kFxNameLen + 1] = {};
    int pos = GetFxHeader(file, 0, &header);
    if (pos >= 0) pos = GetFxName(file, pos, name);
    if (pos < 0 || header.mChunkMagic != kFxContainerMagic ||
        header.mVersion != kFxProgramVersion || header.mFxID != mUniqueID ||
        header.mCount != NParams()) {
        return false;
    }
    IMutexLock lock(this);
    if (DoesStateChunks() && header.mFxMagic == kFxProgramChunkMagic) {
        ByteChunk state;
        int statePos = 0;
        if (GetFxChunk(file, pos, &state) < 0) return false;
        GetFrameworkVerFromChunk(&state, &statePos);
        if (CheckState(&state, statePos) < 0) return false;
        if (UnserializeState(&state, statePos) < 0) return false;
    } else if (header.mFxMagic == kFxProgramParamsMagic) {
        FxProgram program;
        if (GetFxParamProgram(file, 0, NParams(), &header, &program) < 0) return false;
        for (int i = 0; i < NParams(); ++i)
            GetParam(i)->SetNormalized(program.mValues[static_cast<size_t>(i)]);
    } else {
        return false;
    }
    // The loaded program fills the current preset even when that was still unused, so the
    // restore below keeps the file's name instead of inventing a user preset name.
    if (IPreset* current = mPresets.Get(mCurrentPresetIdx)) current->mInitialized = true;
    ModifyCurrentPreset(name);
    RestorePreset(mCurrentPresetIdx);
    InformHostOfProgramChange();
    return true;
}

bool IPluginBase::LoadBankFromChunk(const ByteChunk* file) {
    FxHeader header;
    int32_t currentProgram = 0;
    int pos = GetFxHeader(file, 0, &header);
    pos = GetFxInt(file, pos, &currentProgram);
    if (pos >= 0) pos = pos + kFxBankReservedSize <= file->Size() ? pos + kFxBankReservedSize : -1;
    if (pos < 0 || header.mChunkMagic != kFxContainerMagic || header.mFxID != mUniqueID) {
        return false;
    }
    if (DoesStateChunks() && header.mFxMagic == kFxBankChunkMagic) {
        ByteChunk state;
        int statePos = 0;
        if (GetFxChunk(file, pos, &state) < 0) return false;
        GetFrameworkVerFromChunk(&state, &statePos);
        IMutexLock lock(this);
        if (UnserializePresets(&state, statePos) < 0) return false; // checks the list first
        RestorePreset(currentProgram);
        InformHostOfProgramChange();
        return true;
    }
    if (header.mFxMagic != kFxBankParamsMagic || header.mCount < 0) return false;

    // Programs beyond the last preset are checked but not kept.
    std::vector<FxProgram> programs;
    FxProgram program;
    FxHeader record;
    for (int i = 0; i < header.mCount; ++i) {
        pos = GetFxParamProgram(file, pos, NParams(), &record, &program);
        if (pos < 0) return false;
        if (i < NPresets()) programs.push_back(program);
    }

    IMutexLock lock(this);
    for (int p = 0; p < static_cast<int>(programs.size()); ++p) {
        if (!RestorePreset(p)) mCurrentPresetIdx = p; // a broken stored state is replaced below
        const std::vector<float>& values = programs[static_cast<size_t>(p)].mValues;
        for (int i = 0; i < NParams(); ++i)
            GetParam(i)->SetNormalized(values[static_cast<size_t>(i)]);
        ModifyCurrentPreset(programs[static_cast<size_t>(p)].mName);
    }
    // Selecting the bank's current program also hands its values to OnParamChange; when the
    // bank names no valid program the last one loaded stays current.
    if (currentProgram >= 0 && currentProgram < NPresets()) {
        RestorePreset(currentProgram);
    } else if (!programs.empty()) {
        RestorePreset(mCurrentPresetIdx);
    }
    InformHostOfProgramChange();
    return true;
}

// ---- Files by name ----

bool IPluginBase::WriteFile(const char* fileName, bool bank) {
    if (IsEmpty(fileName)) return false;
    ByteChunk file;
    if (bank) {
        MakeBankFile(&file);
    } else {
        MakeProgramFile(&file);
    }
    return UTIL_WriteFileReplacing(fileName, file.GetBytes(), static_cast<size_t>(file.Size()));
}

bool IPluginBase::ReadFileAndLoad(const char* fileName, bool bank) {
    if (IsEmpty(fileName)) return false;
    std::vector<unsigned char> bytes;
    if (!UTIL_ReadFile(fileName, &bytes, kFxMaxFileSize)) return false;
    ByteChunk file;
    file.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
    return bank ? LoadBankFromChunk(&file) : LoadProgramFromChunk(&file);
}

bool IPluginBase::SaveProgramToFXP(const char* fileName) {
    return WriteFile(fileName, false);
}

bool IPluginBase::SaveBankToFXB(const char* fileName) {
    return WriteFile(fileName, true);
}

bool IPluginBase::LoadProgramFromFXP(const char* fileName) {
    return ReadFileAndLoad(fileName, false);
}

bool IPluginBase::LoadBankFromFXB(const char* fileName) {
    return ReadFileAndLoad(fileName, true);
}

// ---- Through the editor ----

bool IPluginBase::PromptForFileName(UTIL_String* fileName, bool save, const char* extension) {
    if (!mGraphics) return false;
    mGraphics->PromptForPresetFile(fileName, save, &mPreviousPath, extension);
    return !fileName->Empty();
}

bool IPluginBase::SaveProgramAsFXP(const char* defaultFileName) {
    UTIL_String fileName(defaultFileName);
    return PromptForFileName(&fileName, true, kProgramExtension) &&
           WriteFile(fileName.Get(), false);
}

bool IPluginBase::SaveBankAsFXB(const char* defaultFileName) {
    UTIL_String fileName(defaultFileName);
    return PromptForFileName(&fileName, true, kBankExtension) && WriteFile(fileName.Get(), true);
}

bool IPluginBase::LoadProgramFromFXP() {
    UTIL_String fileName;
    return PromptForFileName(&fileName, false, kProgramExtension) &&
           ReadFileAndLoad(fileName.Get(), false);
}

bool IPluginBase::LoadBankFromFXB() {
    UTIL_String fileName;
    return LoadBankFromFXB(&fileName);
}

bool IPluginBase::LoadBankFromFXB(UTIL_String* fileName) {
    return fileName && PromptForFileName(fileName, false, kBankExtension) &&
           ReadFileAndLoad(fileName->Get(), true);
}

bool IPluginBase::SaveBankToFXB(UTIL_String* fileName) {
    return mGraphics && fileName && WriteFile(fileName->Get(), true);
}

bool IPluginBase::LoadBankFromFXB(UTIL_String fileName) {
    return mGraphics && ReadFileAndLoad(fileName.Get(), true);
}
