#include "IGraphicsHeadless.h"

#include "core/IParam.h"
#include "editor/IControl.h"
#include "editor/IPopupMenu.h"
#include "raster/raster.h"
#include "util/UTIL_String.h"

HeadlessAnswer HeadlessAnswer::MenuPath(std::vector<int> indices) {
    HeadlessAnswer answer;
    answer.kind = kItem;
    answer.item = indices.empty() ? -1 : indices.front();
    answer.path = std::move(indices);
    return answer;
}

HeadlessAnswer HeadlessAnswer::Text(std::string t) {
    HeadlessAnswer answer;
    answer.kind = kText;
    answer.text = std::move(t);
    return answer;
}

HeadlessAnswer HeadlessAnswer::Path(std::string p) {
    HeadlessAnswer answer;
    answer.kind = kPath;
    answer.text = std::move(p);
    return answer;
}

HeadlessAnswer HeadlessAnswer::Button(int messageBoxResult) {
    HeadlessAnswer answer;
    answer.kind = kButton;
    answer.item = messageBoxResult;
    return answer;
}

HeadlessAnswer HeadlessAnswer::Color(IColor c) {
    HeadlessAnswer answer;
    answer.kind = kColor;
    answer.color = c;
    return answer;
}

IGraphicsHeadless::IGraphicsHeadless(IPluginBase* plug, int w, int h, int fps)
    : IGraphicsLinux(plug, w, h, fps) {}

HeadlessPrompt& IGraphicsHeadless::AddPrompt(HeadlessPrompt::Kind kind, const char* text) {
    HeadlessPrompt prompt;
    prompt.kind = kind;
    prompt.text = text ? text : "";
    mPrompts.push_back(std::move(prompt));
    return mPrompts.back();
}

HeadlessAnswer IGraphicsHeadless::NextAnswer() {
    if (mAnswers.empty()) return HeadlessAnswer::Cancel();
    HeadlessAnswer answer = std::move(mAnswers.front());
    mAnswers.pop_front();
    return answer;
}

bool IGraphicsHeadless::DrawDirty() {
    IRECT r;
    if (!IsDirty(&r)) return false;
    return Draw(&r);
}

bool IGraphicsHeadless::DrawAll() {
    IRECT all(0, 0, Width(), Height());
    return Draw(&all);
}

bool IGraphicsHeadless::WritePNG(const char* fileName) {
    return GetDrawBitmap() && RAST_WritePNG(fileName, GetDrawBitmap());
}

void IGraphicsHeadless::Click(int x, int y, IMouseMod mod) {
    OnMouseDown(x, y, &mod);
    OnMouseUp(x, y, &mod);
}

void IGraphicsHeadless::Drag(int x1, int y1, int x2, int y2, int steps, IMouseMod mod) {
    if (steps < 1) steps = 1;
    OnMouseDown(x1, y1, &mod);
    for (int i = 1; i <= steps; ++i)
        OnMouseDrag(x1 + (x2 - x1) * i / steps, y1 + (y2 - y1) * i / steps, &mod);
    OnMouseUp(x2, y2, &mod);
}

bool IGraphicsHeadless::DrawScreen(IRECT* r) {
    mLastScreenRECT = r ? *r : IRECT();
    ++mScreenUpdates;
    return true;
}

int IGraphicsHeadless::ShowMessageBox(const char* text, const char* /*caption*/, int type) {
    AddPrompt(HeadlessPrompt::kMessageBox, text).type = type;
    const HeadlessAnswer answer = NextAnswer();
    if (answer.kind == HeadlessAnswer::kButton) return answer.item;
    return DismissedMessageBoxResult(type);
}

IPopupMenu* IGraphicsHeadless::CreateIPopupMenu(IPopupMenu* menu, IRECT* textRect) {
    ReleaseMouseCapture();
    if (!menu || !WindowIsOpen()) return nullptr;
    HeadlessPrompt& prompt = AddPrompt(HeadlessPrompt::kMenu, nullptr);
    prompt.rect = textRect ? *textRect : IRECT();
    for (int i = 0; i < menu->GetNItems(); ++i) {
        UTIL_String shown;
        menu->GetItemDisplayText(i, &shown);
        prompt.items.push_back(shown.Get());
        prompt.flags.push_back(menu->GetItem(i)->GetFlags());
    }
    const HeadlessAnswer answer = NextAnswer();
    if (answer.kind != HeadlessAnswer::kItem) return nullptr;
    return ChooseMenuItem(menu, answer.path);
}

void IGraphicsHeadless::CreateTextEntry(IControl* control, IText* /*text*/, IRECT* textRect,
                                        const char* str, IParam* param) {
    if (!control || !WindowIsOpen()) return;
    HeadlessPrompt& prompt = AddPrompt(HeadlessPrompt::kTextEntry, str);
    prompt.rect = textRect ? *textRect : IRECT();
    prompt.maxLength = control->GetTextEntryLength();
    const HeadlessAnswer answer = NextAnswer();
    if (answer.kind != HeadlessAnswer::kText) return;
    const std::string typed =
        FilterEntryText(answer.text.c_str(), param, control->GetTextEntryLength());
    EndTextEntry(control, param, typed.c_str());
}

void IGraphicsHeadless::PromptForFile(UTIL_String* file, EFileAction action, UTIL_String* dir,
                                      const char* extensions) {
    AddPrompt(HeadlessPrompt::kFile, extensions).type = action;
    const HeadlessAnswer answer = NextAnswer();
    if (!file) return;
    if (answer.kind != HeadlessAnswer::kPath || answer.text.empty()) {
        file->Set("");
        return;
    }
    file->Set(answer.text.c_str());
    // The chosen folder becomes the dialog's next starting point.
    const size_t slash = answer.text.rfind('/');
    if (dir && slash != std::string::npos) dir->Set(answer.text.substr(0, slash + 1).c_str());
}

bool IGraphicsHeadless::PromptForColor(IColor* color, const char* promptText) {
    AddPrompt(HeadlessPrompt::kColor, promptText);
    const HeadlessAnswer answer = NextAnswer();
    if (answer.kind != HeadlessAnswer::kColor || !color) return false;
    *color = answer.color;
    return true;
}

void* IGraphicsHeadless::OpenWindow(void* /*parent*/) {
    mWindowOpen = true;
    return this;
}
