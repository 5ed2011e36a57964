// `karvelund screenshot`: builds the instrument with its editor on the headless surface,
// replays mouse gestures through the surface, draws what is dirty and writes the editor as a
// PNG; prints every parameter the gestures changed.

#include "commands.h"

#include "IGraphicsHeadless.h"
#include "Karvelund.h"
#include "plugin_setup.h"
#include "screenshot_window.h"

#include <charconv>
#include <cstdio>
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
            if (ec != std::errc() || ptr != value.data() + value.size() || n < 0) {
                error = "--program " + value + ": expected a program number from 0";
                return false;
            }
            o.setup.program = n;
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
    WindowScreenshot shot{o.setup, {}, o.answerTexts, o.notes, o.pngPath};
    for (const Gesture& gesture : o.gestures)
        shot.gestures.push_back(windowGesture(gesture));
    return runWindowScreenshot(shot);
}

} // namespace

int runScreenshot(const std::vector<std::string>& args) {
    ScreenshotOptions options;
    std::string error;
    if (!parseScreenshotOptions(args, options, error)) return usageError("screenshot: " + error);
    if (options.window) return runWindow(options);

    std::unique_ptr<Karvelund> plug(MakePlug());
    if (!applySetup(*plug, options.setup, error)) return inputError(error);
    auto* surface = dynamic_cast<IGraphicsHeadless*>(plug->GetGUI());
    if (!surface) return inputError("the instrument has no headless editor");
    // The editor shows the parameters as the setup left them.
    for (int i = 0; i < plug->NParams(); ++i)
        surface->SetParameterFromPlug(i, plug->GetParam(i)->GetNormalized(), true);
    plug->Initialize(48000.0, 512);
    for (int note : options.notes)
        plug->SendMidiToPlug(IMidiMsg(0, 0x90, static_cast<unsigned char>(note), 100));
    for (HeadlessAnswer& answer : options.answers)
        surface->AddAnswer(std::move(answer));

    std::vector<double> before;
    for (int i = 0; i < plug->NParams(); ++i)
        before.push_back(plug->GetParam(i)->Value());
    surface->DrawDirty();
    for (const Gesture& gesture : options.gestures)
        replay(*surface, gesture);
    surface->DrawDirty();

    printChangedParams(*plug, before);
    if (!surface->WritePNG(options.pngPath.c_str()))
        return inputError(options.pngPath + ": cannot write the picture");
    return kExitOk;
}

} // namespace kv::cli
