// The X11 surface's message boxes and file dialogs: the desktop's own (zenity or kdialog)
// when one is installed, run as a child process while the editor keeps redrawing; otherwise
// the surface's own, drawn in the editor.
#include "IGraphicsX11.h"

#include "LaunchDetached.h"
#include "X11MessageOverlay.h"
#include "X11TextField.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string DefaultDialogProgram() {
    for (const char* program : {"zenity", "kdialog"})
        if (!FindExecutable(program).empty()) return program;
    return "";
}

bool IsKDialog(const std::string& program) {
    const size_t slash = program.rfind('/');
    return program.substr(slash == std::string::npos ? 0 : slash + 1) == "kdialog";
}

// "kvp kvb" -> {"kvp", "kvb"}.
std::vector<std::string> Words(const char* text) {
    std::vector<std::string> words;
    std::istringstream in(text ? text : "");
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::string Patterns(const char* extensions) {
    std::string patterns;
    for (const std::string& ext : Words(extensions))
        patterns += (patterns.empty() ? "*." : " *.") + ext;
    return patterns;
}

} // namespace

int IGraphicsX11::WaitResponsive(int pid) {
    int status = 0;
    int result = -1;
    bool exited = false;
    auto poll = [&] {
        if (!exited && waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            result = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return exited;
    };
    if (mDisplay) RunModal([](XEvent&) {}, poll); // input to the editor waits with the dialog
    if (!exited) {
        // The loop ended without the dialog (the program is quitting): do not leave it behind.
        kill(pid, SIGTERM);
        waitpid(pid, &status, 0);
    }
    return result;
}

std::string IGraphicsX11::RunDialog(const std::vector<std::string>& args, int* exitStatus) {
    *exitStatus = -1;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return "";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return "";
    }
    // The answer is one short line, which the pipe holds until the dialog has ended.
    *exitStatus = WaitResponsive(pid);
    std::string output;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof(buffer))) > 0;)
        output.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

int IGraphicsX11::ShowMessageBox(const char* text, const char* caption, int type) {
    if (mDialogProgram.empty()) mDialogProgram = DefaultDialogProgram();
    const std::string message = text ? text : "";
    const std::string title = caption && *caption ? caption : "Karvelund";
    if (mDialogProgram == "-" || mDialogProgram.empty() || !WindowIsOpen())
        return WindowIsOpen() ? EditorMessageBox(text, type) : DismissedMessageBoxResult(type);
    std::vector<std::string> args{mDialogProgram};
    const bool kdialog = IsKDialog(mDialogProgram);
    const bool yesNo = type == kMessageBoxYesNo || type == kMessageBoxYesNoCancel;
    if (kdialog) {
        args.push_back("--title");
        args.push_back(title);
        args.push_back(type == kMessageBoxYesNoCancel ? "--yesnocancel"
                       : yesNo                        ? "--yesno"
                       : type == kMessageBoxOKCancel  ? "--warningcontinuecancel"
                                                      : "--msgbox");
        args.push_back(message);
    } else {
        args.push_back(yesNo || type == kMessageBoxOKCancel ? "--question" : "--info");
        args.push_back("--title=" + title);
        args.push_back("--text=" + message);
        if (yesNo) {
            args.push_back("--ok-label=Yes");
            args.push_back("--cancel-label=No");
        }
        if (type == kMessageBoxYesNoCancel) args.push_back("--extra-button=Cancel");
    }
    int status = -1;
    const std::string output = RunDialog(args, &status);
    if (status < 0) return EditorMessageBox(text, type); // the program could not run
    if (type == kMessageBoxOK) return kMessageBoxResultOK;
    // zenity prints the extra button's label and exits 1; kdialog exits 2 for Cancel.
    if (type == kMessageBoxYesNoCancel && (output == "Cancel" || (kdialog && status == 2)))
        return kMessageBoxResultCancel;
    if (status == 0) return yesNo ? kMessageBoxResultYes : kMessageBoxResultOK;
    return yesNo ? kMessageBoxResultNo : kMessageBoxResultCancel;
}

void IGraphicsX11::PromptForFile(UTIL_String* file, EFileAction action, UTIL_String* dir,
                                 const char* extensions) {
    if (!file) return;
    std::string start = dir && dir->Get()[0] ? dir->Get() : "";
    if (start.empty()) {
        UTIL_String desktop;
        DesktopPath(&desktop);
        start = desktop.Get();
    }
    if (!start.empty() && start.back() != '/') start += '/';
    if (mDialogProgram.empty()) mDialogProgram = DefaultDialogProgram();

    std::string chosen;
    bool answered = false;
    if (mDialogProgram != "-" && !mDialogProgram.empty()) {
        std::vector<std::string> args{mDialogProgram};
        const std::string patterns = Patterns(extensions);
        if (IsKDialog(mDialogProgram)) {
            args.push_back(action == kFileSave ? "--getsavefilename" : "--getopenfilename");
            args.push_back(start);
            if (!patterns.empty()) args.push_back(patterns);
        } else {
            args.push_back("--file-selection");
            if (action == kFileSave) {
                args.push_back("--save");
                args.push_back("--confirm-overwrite");
            }
            args.push_back("--filename=" + start);
            if (!patterns.empty()) args.push_back("--file-filter=" + patterns);
        }
        int status = -1;
        chosen = RunDialog(args, &status);
        answered = status >= 0;
        if (status != 0) chosen.clear();
    }
    if (!answered && WindowIsOpen() && !EditorPathPrompt(start, &chosen)) chosen.clear();
    if (chosen.empty()) {
        file->Set("");
        return;
    }
    file->Set(chosen.c_str());
    const size_t slash = chosen.rfind('/');
    if (dir && slash != std::string::npos) dir->Set(chosen.substr(0, slash + 1).c_str());
}

bool IGraphicsX11::PromptForColor(IColor* color, const char* prompt) {
    if (!color || mDialogProgram.empty() || mDialogProgram == "-" || IsKDialog(mDialogProgram))
        return false;
    std::vector<std::string> args{mDialogProgram, "--color-selection",
                                  std::string("--title=") + (prompt ? prompt : "Colour")};
    int status = -1;
    const std::string output = RunDialog(args, &status);
    unsigned r = 0, g = 0, b = 0;
    if (status != 0 || std::sscanf(output.c_str(), "rgb(%u,%u,%u)", &r, &g, &b) != 3) return false;
    *color = IColor(255, static_cast<int>(r), static_cast<int>(g), static_cast<int>(b));
    return true;
}

bool IGraphicsX11::EditorPathPrompt(const std::string& startText, std::string* path) {
    if (!WindowIsOpen() || mTextField) return false;
    const IRECT row(8, 8, Width() - 8, 8 + 24);
    IText style(16, &COLOR_BLACK, nullptr, IText::kStyleNormal, IText::kAlignLeft);
    style.mSize = 18; // 0.9 of it is used
    mTextField = std::make_unique<X11TextField>(nullptr, nullptr, style, row, startText.c_str(),
                                                nullptr, 0, mScale);
    mTextField->Model().MoveTo(static_cast<int>(startText.size()), false);
    mLastEntryConfirmed = false;
    XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
    RedrawTextEntry();
    NotifyPromptOpened(nullptr);
    RunModal(
        [this](XEvent& event) {
            // Keys edit the path; a click outside it cancels.
            if (event.xany.window != mWindow) return;
            if (event.type == KeyPress)
                HandleKeyPress(event);
            else if (event.type == ButtonPress && mTextField &&
                     !mTextField->Rect().Contains(ToEditor(event.xbutton.x),
                                                  ToEditor(event.xbutton.y)))
                CloseTextEntry();
            else if (event.type == ButtonPress)
                HandleButtonPress(event);
        },
        [this] { return !mTextField; });
    CloseTextEntry();
    *path = mLastEntryText;
    return mLastEntryConfirmed && !mLastEntryText.empty();
}

int IGraphicsX11::EditorMessageBox(const char* text, int type) {
    if (!WindowIsOpen() || mMessage) return DismissedMessageBoxResult(type);
    mMessage = std::make_unique<X11MessageOverlay>(text, type, Width(), Height());
    XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
    PutOnScreen(mMessage->Rect());
    NotifyPromptOpened(nullptr);
    int result = 0;
    RunModal(
        [&](XEvent& event) {
            if (event.xany.window != mWindow) return;
            if (event.type == ButtonPress && event.xbutton.button == Button1) {
                result = mMessage->ButtonAt(ToEditor(event.xbutton.x), ToEditor(event.xbutton.y));
            } else if (event.type == KeyPress) {
                const KeySym sym = XLookupKeysym(&event.xkey, 0);
                if (sym == XK_Return || sym == XK_KP_Enter) result = mMessage->FirstResult();
                if (sym == XK_Escape) result = mMessage->LastResult();
            }
        },
        [&] { return result != 0 || !mMessage; });
    const IRECT area = mMessage->Rect();
    mMessage.reset();
    PutOnScreen(area);
    return result ? result : DismissedMessageBoxResult(type);
}
