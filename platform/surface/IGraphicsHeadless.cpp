#include "IGraphicsHeadless.h"

#include "util/UTIL_String.h"

IGraphicsHeadless::IGraphicsHeadless(IPluginBase* plug, int w, int h, int fps)
    : IGraphics(plug, w, h, fps) {}

HeadlessAnswer IGraphicsHeadless::NextAnswer() {
    if (mAnswers.empty()) return HeadlessAnswer::Cancel();
    HeadlessAnswer answer = std::move(mAnswers.front());
    mAnswers.pop_front();
    return answer;
}

void IGraphicsHeadless::PromptForFile(UTIL_String* file, EFileAction /*action*/, UTIL_String* dir,
                                      const char* /*extensions*/) {
    const HeadlessAnswer answer = NextAnswer();
    if (answer.kind != HeadlessAnswer::kPath || answer.text.empty()) {
        file->Set("");
        return;
    }
    file->Set(answer.text.c_str());
    // The chosen folder becomes the dialog's next starting point.
    const size_t slash = answer.text.rfind('/');
    if (dir && slash != std::string::npos) dir->Set(answer.text.substr(0, slash + 1).c_str());
}
