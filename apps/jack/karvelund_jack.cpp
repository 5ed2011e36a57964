// karvelund-jack: the instrument as a JACK client, with its editor in an X11 window.

#include "IGraphicsX11.h"
#include "Karvelund.h"
#include "jack_instrument.h"
#include "jack_options.h"
#include "standalone_state.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

std::atomic<bool> gQuit{false};
IGraphicsX11* gSurface = nullptr;

void RequestQuit(int) {
    gQuit.store(true);
    if (gSurface) gSurface->RequestQuit();
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = RequestQuit;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

void Warn(const std::string& message) {
    std::fprintf(stderr, "karvelund-jack: %s\n", message.c_str());
}

// Runs the editor until its window closes or the program is asked to quit. False when no
// window could be opened.
bool RunEditor(Karvelund& plug, const StandaloneOptions& options, const JackInstrument& jack) {
    auto* surface = dynamic_cast<IGraphicsX11*>(plug.GetGUI());
    if (!surface) return false;
    if (options.scale) surface->SetScaleFactor(options.scale);
    if (!surface->OpenWindow(nullptr)) return false;
    gSurface = surface;
    while (!gQuit.load() && !jack.ServerGone() && surface->WindowIsOpen())
        surface->RunEventLoop();
    gSurface = nullptr;
    surface->CloseWindow();
    return true;
}

void WaitForQuit(const JackInstrument& jack) {
    while (!gQuit.load() && !jack.ServerGone())
        usleep(50000);
}

} // namespace

int main(int argc, char** argv) {
    StandaloneOptions options;
    std::string error;
    if (!ParseStandaloneOptions(argc, argv, options, error)) {
        Warn(error);
        std::fputs(kJackUsage, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(kJackUsage, stdout);
        return 0;
    }
    InstallSignalHandlers();

    std::unique_ptr<Karvelund> plug(MakePlug());
    const std::string statePath =
        options.statePath.empty() ? StandaloneStatePath() : options.statePath;
    if (!LoadStandaloneState(*plug, statePath, error) && !error.empty()) Warn(error);
    if (!options.preset.empty()) {
        IPluginBase::IMutexLock lock(plug.get());
        if (!plug->RestorePreset(options.preset.c_str()))
            Warn("--preset " + options.preset + ": no preset of that name");
    }

    JackInstrument jack(*plug);
    if (!jack.Open(options.clientName, error) || !jack.Start(error)) {
        Warn(error);
        return 1;
    }
    if (options.connect) jack.ConnectEverything();
    std::fprintf(stdout, "karvelund-jack: playing as JACK client \"%s\"\n", jack.ClientName());
    std::fflush(stdout);

    if (!options.gui || !RunEditor(*plug, options, jack)) {
        if (options.gui) Warn("cannot open the editor window (no X display?); playing without it");
        WaitForQuit(jack);
    }
    if (jack.ServerGone()) Warn("the JACK server has stopped");
    jack.Close();
    if (!SaveStandaloneState(*plug, statePath, error)) {
        Warn(error);
        return 1;
    }
    return 0;
}
