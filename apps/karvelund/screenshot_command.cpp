// `karvelund screenshot`: builds the instrument with its editor on the headless surface,
// replays mouse gestures through the surface, draws what is dirty and writes the editor as a
// PNG; prints every parameter the gestures changed. Gestures outside the editor, answers that
// are never asked for or do not fit the question, and file actions that fail are errors.

#include "commands.h"

#include "IGraphicsHeadless.h"
#include "Karvelund.h"
#include "plugin_setup.h"
#include "preset_lookup.h"
#include "screenshot_window.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <variant>

namespace kv::cli {

namespace {

struct Click {
    int x, y;
    bool right, twice;
};
struct Drag {
    int x1, y1, x2, y2;
    bool fine;
};
struct Wheel {
    int x, y, d;
};
using Gesture = std::variant<Click, Drag, Wheel>;

struct ScreenshotOptions {
    PluginSetup setup;
    std::vector<Gesture> gestures;
    std::vector<HeadlessAnswer> answers;
    std::vector<std::string> answerTexts;
    bool window = false; // --window: through a real X11 window
    std::vector<int> notes;
    std::string pngPath;
};

// "12,34,right" -> numbers {12, 34} and words {"right"}.
bool splitFields(const std::string& text, std::vector<int>& numbers,
                 std::vector<std::string>& words) {
    std::stringstream in(text);
    std::string field;
    while (std::getline(in, field, ',')) {
        int value = 0;
        const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
        if (ec == std::errc() && ptr == field.data() + field.size() && words.empty())
            numbers.push_back(value);
        else
            words.push_back(field);
    }
    return true;
}

bool parseGesture(const std::string& option, const std::string& value, Gesture& gesture) {
    std::vector<int> n;
    std::vector<std::string> words;
    splitFields(value, n, words);
    auto has = [&](const char* w) {
        for (const auto& word : words)
            if (word == w) return true;
        return false;
    };
    if (option == "--click" && n.size() == 2) {
        for (const auto& w : words)
            if (w != "right" && w != "double") return false;
        gesture = Click{n[0], n[1], has("right"), has("double")};
        return true;
    }
    if (option == "--drag" && n.size() == 4 &&
        (words.empty() || (words.size() == 1 && has("fine")))) {
        gesture = Drag{n[0], n[1], n[2], n[3], has("fine")};
        return true;
    }
    if (option == "--wheel" && n.size() == 3 && words.empty()) {
        gesture = Wheel{n[0], n[1], n[2]};
        return true;
    }
    return false;
}

// "cancel", a menu entry's index, a path (with a slash) or typed text; "item:", "text:" and
// "path:" say which explicitly (text that looks like a number, say).
HeadlessAnswer parseAnswer(const std::string& value) {
    auto after = [&](const char* prefix) { return value.substr(std::string(prefix).size()); };
    if (value.rfind("text:", 0) == 0) return HeadlessAnswer::Text(after("text:"));
    if (value.rfind("path:", 0) == 0) return HeadlessAnswer::Path(after("path:"));
    const std::string itemText = value.rfind("item:", 0) == 0 ? after("item:") : value;
    if (value == "cancel") return HeadlessAnswer::Cancel();
    int item = 0;
    const char* end = itemText.data() + itemText.size();
    const auto [ptr, ec] = std::from_chars(itemText.data(), end, item);
    if (ec == std::errc() && ptr == end && item >= 0) return HeadlessAnswer::Item(item);
    if (value.find('/') != std::string::npos) return HeadlessAnswer::Path(value);
    return HeadlessAnswer::Text(value);
}

bool parseScreenshotOptions(const std::vector<std::string>& args, ScreenshotOptions& o,
                            std::string& error) {
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--defaults" || arg == "--window") {
            (arg == "--window" ? o.window : o.setup.defaults) = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            files.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--program") {
            int n = -1;
            const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
            if (ec != std::errc() || ptr != value.data() + value.size() || n < 1) {
                error = "--program " + value + ": expected a program number from 1";
                return false;
            }
            o.setup.program = n - 1;
        } else if (arg == "--set") {
            o.setup.sets.push_back(value);
        } else if (arg == "--answer") {
            o.answers.push_back(parseAnswer(value));
            o.answerTexts.push_back(value);
        } else if (arg == "--note") {
            int note = -1;
            const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), note);
            if (ec != std::errc() || ptr != value.data() + value.size() || note < 0 || note > 127) {
                error = "--note " + value + ": expected a MIDI note from 0 to 127";
                return false;
            }
            o.notes.push_back(note);
        } else if (arg == "--click" || arg == "--drag" || arg == "--wheel") {
            Gesture g;
            if (!parseGesture(arg, value, g)) {
                error = arg + " " + value + ": expected " +
                        (arg == "--click"  ? "X,Y[,right][,double]"
                         : arg == "--drag" ? "X1,Y1,X2,Y2[,fine]"
                                           : "X,Y,D");
                return false;
            }
            o.gestures.push_back(g);
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (files.size() != 1) {
        error = "expected OUT.png";
        return false;
    }
    o.pngPath = files[0];
    return true;
}

bool inside(int x, int y, int w, int h) {
    return x >= 0 && y >= 0 && x < w && y < h;
}

bool gestureFits(const Gesture& gesture, int w, int h) {
    if (const Click* c = std::get_if<Click>(&gesture)) return inside(c->x, c->y, w, h);
    if (const Drag* d = std::get_if<Drag>(&gesture))
        return inside(d->x1, d->y1, w, h) && inside(d->x2, d->y2, w, h);
    const Wheel& wheel = std::get<Wheel>(gesture);
    return inside(wheel.x, wheel.y, w, h);
}

std::string gestureText(const Gesture& gesture) {
    char text[96];
    if (const Click* c = std::get_if<Click>(&gesture))
        std::snprintf(text, sizeof(text), "--click %d,%d", c->x, c->y);
    else if (const Drag* d = std::get_if<Drag>(&gesture))
        std::snprintf(text, sizeof(text), "--drag %d,%d,%d,%d", d->x1, d->y1, d->x2, d->y2);
    else
        std::snprintf(text, sizeof(text), "--wheel %d,%d,%d", std::get<Wheel>(gesture).x,
                      std::get<Wheel>(gesture).y, std::get<Wheel>(gesture).d);
    return text;
}

std::vector<double> parameterValues(IPluginBase& plug) {
    std::vector<double> values;
    for (int i = 0; i < plug.NParams(); ++i)
        values.push_back(plug.GetParam(i)->Value());
    return values;
}

// Prints what the gestures changed: each parameter once with its first and last value, and a
// change of preset as one line rather than as the parameters it set.
class ChangeReport {
public:
    explicit ChangeReport(IPluginBase& plug)
        : mPlug(plug), mBaseline(parameterValues(plug)), mPreset(plug.GetCurrentPresetIdx()) {}

    void afterGesture(const std::vector<double>& beforeGesture) {
        if (mPlug.GetCurrentPresetIdx() == mPreset) return;
        printChanges(beforeGesture);
        std::printf("%s\n", presetChangeText(mPlug, mPreset, mPlug.GetCurrentPresetIdx()).c_str());
        mPreset = mPlug.GetCurrentPresetIdx();
        mBaseline = parameterValues(mPlug);
    }
    void finish() { printChanges(parameterValues(mPlug)); }

private:
    void printChanges(const std::vector<double>& now) {
        for (int i = 0; i < mPlug.NParams(); ++i) {
            const size_t at = static_cast<size_t>(i);
            if (now[at] == mBaseline[at]) continue;
            const IParam* p = mPlug.GetParam(i);
            char was[64], is[64];
            p->GetDisplayForHost(mBaseline[at], false, was, sizeof(was), true);
            p->GetDisplayForHost(now[at], false, is, sizeof(is), true);
            std::printf("%s: %s -> %s\n", p->GetNameForHost(), was, is);
        }
    }

    IPluginBase& mPlug;
    std::vector<double> mBaseline;
    int mPreset;
};

const char* promptName(HeadlessPrompt::Kind kind) {
    switch (kind) {
    case HeadlessPrompt::kMenu:
        return "a menu";
    case HeadlessPrompt::kTextEntry:
        return "a text field";
    case HeadlessPrompt::kMessageBox:
        return "a message box";
    case HeadlessPrompt::kFile:
        return "a file dialog";
    case HeadlessPrompt::kColor:
        return "a colour picker";
    }
    return "a question";
}

// Whether the answer is one the question can take.
bool answerFits(const HeadlessPrompt& prompt, const HeadlessAnswer& answer) {
    if (answer.kind == HeadlessAnswer::kCancel) return true;
    switch (prompt.kind) {
    case HeadlessPrompt::kMenu:
        return answer.kind == HeadlessAnswer::kItem && answer.item >= 0 &&
               answer.item < static_cast<int>(prompt.items.size());
    case HeadlessPrompt::kTextEntry:
        return answer.kind == HeadlessAnswer::kText;
    case HeadlessPrompt::kFile:
        return answer.kind == HeadlessAnswer::kPath;
    case HeadlessPrompt::kMessageBox:
        return answer.kind == HeadlessAnswer::kButton;
    case HeadlessPrompt::kColor:
        return answer.kind == HeadlessAnswer::kColor;
    }
    return false;
}

std::string answerText(const HeadlessAnswer& answer) {
    switch (answer.kind) {
    case HeadlessAnswer::kItem:
        return "item " + std::to_string(answer.item);
    case HeadlessAnswer::kText:
        return "text \"" + answer.text + "\"";
    case HeadlessAnswer::kPath:
        return "path " + answer.text;
    default:
        return "cancel";
    }
}

bool checkAnswers(const IGraphicsHeadless& surface, const ScreenshotOptions& options,
                  std::string& error) {
    const size_t used = options.answers.size() - static_cast<size_t>(surface.PendingAnswers());
    const std::vector<HeadlessPrompt>& prompts = surface.Prompts();
    for (size_t i = 0; i < used && i < prompts.size(); ++i) {
        if (answerFits(prompts[i], options.answers[i])) continue;
        error = "--answer " + answerText(options.answers[i]) + " does not fit " +
                promptName(prompts[i].kind);
        if (prompts[i].kind == HeadlessPrompt::kMenu)
            error += " of " + std::to_string(prompts[i].items.size()) + " entries";
        return false;
    }
    if (used < options.answers.size()) {
        error = "--answer " + answerText(options.answers[used]) +
                " was never asked for: the gestures asked " + std::to_string(prompts.size()) +
                " question" + (prompts.size() == 1 ? "" : "s");
        return false;
    }
    return true;
}

// A file the gestures chose to save must now be there, and one they chose to open must be a
// program or bank the instrument can read.
bool checkFileActions(const std::vector<HeadlessPrompt>& prompts,
                      const std::vector<HeadlessAnswer>& answers, std::string& error) {
    for (size_t i = 0; i < prompts.size() && i < answers.size(); ++i) {
        if (prompts[i].kind != HeadlessPrompt::kFile || answers[i].kind != HeadlessAnswer::kPath)
            continue;
        const std::string& path = answers[i].text;
        std::error_code ec;
        if (prompts[i].type == kFileSave) {
            if (!std::filesystem::is_regular_file(path, ec) ||
                std::filesystem::file_size(path, ec) == 0) {
                error = path + ": the editor could not save the file";
                return false;
            }
            continue;
        }
        std::unique_ptr<Karvelund> probe(MakePlug());
        const bool isBank = path.size() > 4 && path.compare(path.size() - 4, 4, ".kvb") == 0;
        if (!(isBank ? probe->LoadBankFromFXB(path.c_str())
                     : probe->LoadProgramFromFXP(path.c_str()))) {
            error = path + ": the editor could not open the file";
            return false;
        }
    }
    return true;
}

void replay(IGraphicsHeadless& g, const Gesture& gesture) {
    if (const Click* c = std::get_if<Click>(&gesture)) {
        IMouseMod mod(!c->right, c->right);
        if (c->twice) {
            g.OnMouseDblClick(c->x, c->y, &mod);
            g.OnMouseUp(c->x, c->y, &mod);
        } else {
            g.Click(c->x, c->y, mod);
        }
    } else if (const Drag* d = std::get_if<Drag>(&gesture)) {
        // A fine drag is the Shift drag.
        g.Drag(d->x1, d->y1, d->x2, d->y2, 8, IMouseMod(true, false, d->fine));
    } else if (const Wheel* w = std::get_if<Wheel>(&gesture)) {
        IMouseMod mod;
        g.OnMouseWheel(w->x, w->y, &mod, w->d);
    }
    g.DrawDirty(); // the redraw tick between gestures
}

WindowGesture windowGesture(const Gesture& gesture) {
    WindowGesture g;
    if (const Click* c = std::get_if<Click>(&gesture))
        g = {WindowGesture::kClick, c->x, c->y, c->x, c->y, 0, c->right, c->twice, false};
    else if (const Drag* d = std::get_if<Drag>(&gesture))
        g = {WindowGesture::kDrag, d->x1, d->y1, d->x2, d->y2, 0, false, false, d->fine};
    else if (const Wheel* w = std::get_if<Wheel>(&gesture))
        g = {WindowGesture::kWheel, w->x, w->y, w->x, w->y, w->d, false, false, false};
    return g;
}

int runWindow(const ScreenshotOptions& o) {
    WindowScreenshot shot{o.setup, {}, o.answerTexts, o.notes, o.pngPath, {}, {}, {}};
    for (const Gesture& gesture : o.gestures)
        shot.gestures.push_back(windowGesture(gesture));
    std::unique_ptr<ChangeReport> report;
    shot.onStart = [&](IPluginBase& plug) { report = std::make_unique<ChangeReport>(plug); };
    shot.afterGesture = [&](const std::vector<double>& before) { report->afterGesture(before); };
    shot.onFinish = [&] { report->finish(); };
    return runWindowScreenshot(shot);
}

} // namespace

int runScreenshot(const std::vector<std::string>& args) {
    ScreenshotOptions options;
    std::string error;
    if (!parseScreenshotOptions(args, options, error)) return usageError("screenshot", error);
    if (options.window) return runWindow(options);

    std::unique_ptr<Karvelund> plug(MakePlug());
    if (!applySetup(*plug, options.setup, error)) return inputError(error);
    auto* surface = dynamic_cast<IGraphicsHeadless*>(plug->GetGUI());
    if (!surface) return inputError("the instrument has no headless editor");
    for (size_t i = 0; i < options.gestures.size(); ++i) {
        if (!gestureFits(options.gestures[i], surface->Width(), surface->Height()))
            return inputError(gestureText(options.gestures[i]) + ": outside the editor (" +
                              std::to_string(surface->Width()) + " x " +
                              std::to_string(surface->Height()) + ")");
    }
    // The editor shows the parameters as the setup left them.
    for (int i = 0; i < plug->NParams(); ++i)
        surface->SetParameterFromPlug(i, plug->GetParam(i)->GetNormalized(), true);
    plug->Initialize(48000.0, 512);
    holdNotes(*plug, options.notes);
    for (const HeadlessAnswer& answer : options.answers)
        surface->AddAnswer(answer);

    ChangeReport report(*plug);
    surface->DrawDirty();
    for (const Gesture& gesture : options.gestures) {
        const std::vector<double> before = parameterValues(*plug);
        replay(*surface, gesture);
        report.afterGesture(before);
    }
    surface->DrawDirty();
    report.finish();

    if (!checkAnswers(*surface, options, error)) return inputError(error);
    if (!checkFileActions(surface->Prompts(), options.answers, error)) return inputError(error);
    if (!surface->WritePNG(options.pngPath.c_str()))
        return inputError(options.pngPath + ": cannot write the picture");
    return kExitOk;
}

} // namespace kv::cli
