#include "art_params.h"

#include "KarvelundParamTable.h"
#include "core/IParam.h"

namespace art {

ParamArt paramArt(int paramIdx) {
    IParam param;
    InitParamFromDef(&param, GetParamDef(paramIdx));
    ParamArt art{param.GetNormalized(), {}};
    for (int i = 0; i < param.GetNDisplayTexts(); ++i)
        art.texts.emplace_back(param.GetDisplayTextAtIdx(i));
    return art;
}

} // namespace art
