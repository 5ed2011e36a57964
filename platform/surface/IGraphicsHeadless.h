#pragma once

#include "editor/IGraphics.h"

#include <deque>
#include <string>

// Answers that the headless surface gives, in order, where a window would ask the user.
struct HeadlessAnswer {
    enum Kind { kCancel, kItem, kText, kPath };
    Kind kind = kCancel;
    int item = -1;    // kItem: the chosen menu entry
    std::string text; // kText: the typed text; kPath: the chosen file

    static HeadlessAnswer Cancel() { return {}; }
    static HeadlessAnswer Item(int i) { return {kItem, i, {}}; }
    static HeadlessAnswer Text(std::string t) { return {kText, -1, std::move(t)}; }
    static HeadlessAnswer Path(std::string p) { return {kPath, -1, std::move(p)}; }
};

// The editor surface without a window: it draws into its bitmap exactly as a window would,
// and every question a window would ask the user is answered from a scripted queue. An empty
// queue answers "cancel".
class IGraphicsHeadless : public IGraphics {
public:
    IGraphicsHeadless(IPluginBase* plug, int w, int h, int fps);

    void AddAnswer(HeadlessAnswer answer) { mAnswers.push_back(std::move(answer)); }
    int PendingAnswers() const { return static_cast<int>(mAnswers.size()); }

    void PromptForFile(UTIL_String* file, EFileAction action, UTIL_String* dir,
                       const char* extensions) override;

private:
    HeadlessAnswer NextAnswer();

    std::deque<HeadlessAnswer> mAnswers;
};
