#pragma once

#include "IGraphicsLinux.h"

#include <deque>
#include <string>
#include <vector>

// Answers that the headless surface gives, in order, where a window would ask the user.
struct HeadlessAnswer {
    enum Kind { kCancel, kItem, kText, kPath, kButton, kColor };
    Kind kind = kCancel;
    int item = -1;         // kItem: the chosen entry of the menu shown; kButton: the result
    std::vector<int> path; // kItem: the entry, then the entries of the submenus on the way
    std::string text;      // kText: the typed text; kPath: the chosen file
    IColor color;          // kColor

    // Dismisses a menu, a text field, a dialog or a colour picker; a message box answers
    // Cancel, or No (OK for a box without either).
    static HeadlessAnswer Cancel() { return {}; }
    static HeadlessAnswer Item(int i) { return MenuPath({i}); }
    static HeadlessAnswer MenuPath(std::vector<int> indices);
    static HeadlessAnswer Text(std::string t);
    static HeadlessAnswer Path(std::string p);
    static HeadlessAnswer Button(int messageBoxResult);
    static HeadlessAnswer Color(IColor c);
};

// What the headless surface was asked, in order, as a window would have shown it.
struct HeadlessPrompt {
    enum Kind { kMenu, kTextEntry, kMessageBox, kFile, kColor };
    Kind kind = kMenu;
    IRECT rect;                     // kMenu, kTextEntry: where it would open
    std::string text;               // kTextEntry: the text offered; kMessageBox: the message;
                                    // kFile: the extensions; kColor: the prompt
    std::vector<std::string> items; // kMenu: the entries as shown (numbered when asked)
    std::vector<int> flags;         // kMenu: each entry's IPopupMenuItem flags
    int maxLength = 0;              // kTextEntry: the control's text-entry length
    int type = 0;                   // kMessageBox: EMessageBoxType; kFile: EFileAction
};

// The editor surface without a window: it draws into its bitmap exactly as a window would,
// and every question a window would ask the user is answered from a scripted queue. An empty
// queue answers "cancel". Its window counts as open until CloseWindow; with it closed,
// menus and text fields are not shown (and take no answer), as on screen.
//
// Events go in through the surface's own handlers (OnMouseDown, OnMouseDrag, OnMouseUp,
// OnMouseDblClick, OnMouseWheel, OnKeyDown); DrawDirty is the platform timer's tick.
class IGraphicsHeadless : public IGraphicsLinux {
public:
    IGraphicsHeadless(IPluginBase* plug, int w, int h, int fps);

    // ---- Scripted answers and what was asked ----
    void AddAnswer(HeadlessAnswer answer) { mAnswers.push_back(std::move(answer)); }
    int PendingAnswers() const { return static_cast<int>(mAnswers.size()); }
    const std::vector<HeadlessPrompt>& Prompts() const { return mPrompts; }
    void ClearPrompts() { mPrompts.clear(); }

    // ---- Drawing ----
    // One timer tick: draws the controls that are dirty; true when anything was drawn.
    bool DrawDirty();
    // Redraws the whole editor, dirty or not.
    bool DrawAll();
    // The rectangle the last Draw put on screen, and how many times that happened.
    IRECT LastScreenRECT() const { return mLastScreenRECT; }
    int ScreenUpdates() const { return mScreenUpdates; }
    // Writes the drawing bitmap as a PNG file; false when there is none or it cannot be written.
    bool WritePNG(const char* fileName);

    // ---- Input helpers (press and release; press, moves and release) ----
    void Click(int x, int y, IMouseMod mod = IMouseMod(true));
    // Drags from (x1, y1) to (x2, y2) in steps equal moves, then releases there.
    void Drag(int x1, int y1, int x2, int y2, int steps = 1, IMouseMod mod = IMouseMod(true));

    // ---- Platform operations ----
    bool DrawScreen(IRECT* r) override;
    void ForceEndUserEdit() override {}
    int ShowMessageBox(const char* text, const char* caption, int type) override;
    IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* textRect) override;
    void CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str,
                         IParam* param) override;
    void PromptForFile(UTIL_String* file, EFileAction action, UTIL_String* dir,
                       const char* extensions) override;
    bool PromptForColor(IColor* color, const char* prompt) override;
    void* OpenWindow(void* parent) override;
    void CloseWindow() override { mWindowOpen = false; }
    void* GetWindow() override { return mWindowOpen ? this : nullptr; }
    void UpdateTooltips() override {}

private:
    HeadlessPrompt& AddPrompt(HeadlessPrompt::Kind kind, const char* text);
    HeadlessAnswer NextAnswer();

    std::deque<HeadlessAnswer> mAnswers;
    std::vector<HeadlessPrompt> mPrompts;
    IRECT mLastScreenRECT;
    int mScreenUpdates = 0;
    bool mWindowOpen = true;
};
