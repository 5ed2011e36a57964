// Asking the user for a parameter's value: a menu of its texts or a text field.
#include "editor/IControl.h"
#include "editor/IGraphics.h"
#include "editor/IPopupMenu.h"

#include "core/IParam.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool UsesMenu(const IParam* param) {
    return param->Type() == kTypeEnum ||
           (param->Type() == kTypeBool && param->GetNDisplayTexts() > 0);
}

// The decimal number at the start of text (sign, digits, point, exponent); false when the
// text does not start with one or it is too large. Names such as "inf" or "nan" and hex forms
// are not numbers here.
bool ReadLeadingDecimal(const char* text, double* value) {
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    std::string number;
    if (*p == '+' || *p == '-') number += *p++;
    bool digits = false;
    while (std::isdigit(static_cast<unsigned char>(*p)))
        number += *p++, digits = true;
    if (*p == '.') {
        number += *p++;
        while (std::isdigit(static_cast<unsigned char>(*p)))
            number += *p++, digits = true;
    }
    if (!digits) return false;
    if ((*p == 'e' || *p == 'E')) {
        const char* exponent = p + 1;
        if (*exponent == '+' || *exponent == '-') ++exponent;
        if (std::isdigit(static_cast<unsigned char>(*exponent))) {
            number.append(p, static_cast<size_t>(exponent - p));
            for (p = exponent; std::isdigit(static_cast<unsigned char>(*p)); ++p)
                number += *p;
        }
    }
    *value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(*value);
}

} // namespace

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* textRect) {
    if (!control || !param || !textRect) return;
    if (!UsesMenu(param)) {
        char current[IParam::kTextLen];
        param->GetDisplayForHostNoDisplayText(current, sizeof(current));
        CreateTextEntry(control, control->GetText(), textRect, current, param);
        return;
    }
    char current[IParam::kTextLen];
    param->GetDisplayForHost(current, sizeof(current));
    IPopupMenu menu(0, false);
    for (int i = 0; i < param->GetNDisplayTexts(); ++i) {
        const char* text = param->GetDisplayTextAtIdx(i);
        IPopupMenuItem* item = menu.AddItem(text);
        if (std::strcmp(text, current) == 0) item->SetChecked(true);
    }
    if (!CreateIPopupMenu(&menu, textRect)) return;
    // Each row of the table stands for its own value.
    int value = 0;
    param->GetDisplayTextAtIdx(menu.GetChosenItemIdx(), &value);
    control->SetValueFromUserInput(param->GetNormalized(static_cast<double>(value)));
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text) {
    if (!control || !param) return;
    if (!text) text = "";
    double value = 0.0;
    int mapped = 0;
    const bool named = param->Type() == kTypeEnum || param->Type() == kTypeBool;
    if (named && param->MapDisplayText(text, &mapped)) {
        value = mapped;
    } else {
        // A text that is neither one of the parameter's names nor a number is refused: the
        // value stays as it was.
        if (!ReadLeadingDecimal(text, &value)) return;
        if (param->DisplayIsNegated()) value = -value;
    }
    control->SetValueFromUserInput(param->GetNormalized(value));
}

void IGraphics::PromptForPresetFile(UTIL_String* fileName, bool save, UTIL_String* dir,
                                    const char* extension) {
    PromptForFile(fileName, save ? kFileSave : kFileOpen, dir, extension);
}
