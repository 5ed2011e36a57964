// How each parameter change reaches the engine: through its row of the parameter table.

#include "Karvelund.h"
#include "KarvelundParamTable.h"

void Karvelund::OnParamChange(int paramIdx) {
    IMutexLock lock(this);
    if (paramIdx < 0 || paramIdx >= kNumParams) return;
    const ParamDef& def = GetParamDef(paramIdx);
    if (def.releasesAllNotes) NoteOffAll();
    double values[kNumParams];
    for (int i = 0; i < kNumParams; ++i)
        values[i] = GetParam(i)->Value();
    def.apply({mSynth, mEngineSampleRate, values}, values[paramIdx]);
}
