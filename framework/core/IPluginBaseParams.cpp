// Parameter changes from the editor and the host side, the editor link and the state chunk.
#include "core/IPluginBase.h"

#include "core/Log.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

void IPluginBase::OnParamReset() {
    for (int i = 0; i < NParams(); ++i)
        OnParamChange(i);
}

void IPluginBase::SetParameterFromGUI(int paramIdx, double normalizedValue) {
    Trace("SetParameterFromGUI", __LINE__, "%d:%f", paramIdx, normalizedValue);
    IMutexLock lock(this);
    IParam* param = GetParam(paramIdx);
    if (!param) return;
    param->SetNormalized(normalizedValue);
    InformHostOfParamChange(paramIdx, normalizedValue);
    OnParamChange(paramIdx);
}

void IPluginBase::AttachGraphics(IPluginEditor* graphics) {
    if (!graphics) return;
    IMutexLock lock(this);
    for (int i = 0; i < NParams(); ++i) {
        graphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
    }
    graphics->PrepDraw();
    if (graphics != mGraphics.get()) mGraphics.reset(graphics);
}

void IPluginBase::RedrawParamControls() {
    if (!mGraphics) return;
    for (int i = 0; i < NParams(); ++i) {
        mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
    }
}

bool IPluginBase::SendMidiMsgs(const UTIL_TypedBuf<IMidiMsg>* msgs) {
    bool allSent = true;
    for (int i = 0; i < msgs->GetSize(); ++i) {
        IMidiMsg msg = msgs->Get()[i];
        allSent = SendMidiMsg(&msg) && allSent;
    }
    return allSent;
}

void IPluginBase::DirtyParameters() {
    IMutexLock lock(this);
    for (int i = 0; i < NParams(); ++i)
        InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

bool IPluginBase::SerializeState(ByteChunk* chunk) {
    return SerializeParams(chunk);
}

int IPluginBase::UnserializeState(const ByteChunk* chunk, int startPos) {
    return UnserializeParams(chunk, startPos);
}

bool IPluginBase::SerializeParams(ByteChunk* chunk) {
    IMutexLock lock(this);
    for (int i = 0; i < NParams(); ++i) {
        const IParam* param = GetParam(i);
        const double value = param->Value();
        Trace("SerializeParams", __LINE__, "%d %s %f", i, param->GetNameForHost(), value);
        if (chunk->Put(&value) < 1) return false;
    }
    return true;
}

namespace {

// Reads a double that must be finite; -1 otherwise, leaving value alone.
int GetFiniteDouble(const ByteChunk* chunk, double* value, int pos) {
    double read = 0.0;
    pos = chunk->Get(&read, pos);
    if (pos < 0 || !std::isfinite(read)) return -1;
    *value = read;
    return pos;
}

} // namespace

int IPluginBase::UnserializeParams(const ByteChunk* chunk, int startPos) {
    IMutexLock lock(this);
    int pos = startPos;
    for (int i = 0; i < NParams() && pos >= 0; ++i) {
        IParam* param = GetParam(i);
        Trace("UnserializeParams", __LINE__, "%d %s %f", i, param->GetNameForHost(),
              param->Value());
        double value = 0.0;
        pos = GetFiniteDouble(chunk, &value, pos);
        param->Set(value);
    }
    OnParamReset();
    return pos;
}

int IPluginBase::CheckState(const ByteChunk* chunk, int startPos) const {
    int pos = startPos;
    for (int i = 0; i < NParams() && pos >= 0; ++i) {
        double value = 0.0;
        pos = GetFiniteDouble(chunk, &value, pos);
    }
    return pos;
}

bool IPluginBase::CompareState(const unsigned char* data, int dataSize, int startPos) {
    const int64_t first = static_cast<int64_t>(startPos) * 8;
    const int64_t end = first + static_cast<int64_t>(NParams()) * 8;
    if (!data || startPos < 0 || end > dataSize) return false;
    for (int i = 0; i < NParams(); ++i) {
        double stored = 0.0;
        std::memcpy(&stored, data + first + static_cast<int64_t>(i) * 8, sizeof(stored));
        if (!(std::fabs(stored) <= FLT_MAX)) return false; // also NaN: no float to compare
        const float current = static_cast<float>(GetParam(i)->Value());
        if (!(std::fabs(current - static_cast<float>(stored)) < 1e-5f)) return false;
    }
    return true;
}
