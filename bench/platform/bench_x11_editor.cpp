// The X11 editor on an Xvfb server of the benchmark's own: how long a knob drag takes from the
// mouse event to the changed pixels on screen, and how much CPU the idle editor uses.
#include "IGraphicsX11.h"
#include "Karvelund.h"
#include "XvfbServer.h"

#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

namespace {

struct Editor {
    XvfbServer server;
    std::unique_ptr<Karvelund> plug;
    IGraphicsX11* surface = nullptr;
    Display* user = nullptr; // the synthetic user's own connection

    bool Open(benchmark::State& state) {
        std::string error;
        if (!server.Start(1280, 720, error)) {
            state.SkipWithError(error.c_str());
            return false;
        }
        plug.reset(MakePlug());
        plug->Initialize(48000.0, 256);
        surface = dynamic_cast<IGraphicsX11*>(plug->GetGUI());
        surface->SetDisplayName(server.DisplayName().c_str());
        surface->SetScaleFactor(1);
        if (!surface->OpenWindow(nullptr)) {
            state.SkipWithError("cannot open the window");
            return false;
        }
        user = XOpenDisplay(server.DisplayName().c_str());
        for (int i = 0; i < 20; ++i) {
            XSync(surface->GetDisplay(), False);
            surface->Idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    ~Editor() {
        if (user) XCloseDisplay(user);
        if (surface) surface->CloseWindow();
        plug.reset();
    }
};

double ProcessCPUSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// One step of a drag on the LFO Amount knob: the time from the motion event until the changed
// knob is on screen.
void BM_KnobDragToScreen(benchmark::State& state) {
    Editor editor;
    if (!editor.Open(state)) return;
    const int x = 182, y0 = 203;
    XTestFakeMotionEvent(editor.user, 0, x, y0, CurrentTime);
    XTestFakeButtonEvent(editor.user, 1, True, CurrentTime);
    XSync(editor.user, False);
    XSync(editor.surface->GetDisplay(), False);
    editor.surface->Idle();
    int step = 0;
    for (auto _ : state) {
        const int updates = editor.surface->ScreenUpdates();
        // Up and down by one pixel each time: the knob turns every step.
        step = (step + 1) % 60;
        const int y = y0 - (step < 30 ? step : 60 - step);
        XTestFakeMotionEvent(editor.user, 0, x, y, CurrentTime);
        XFlush(editor.user);
        while (editor.surface->ScreenUpdates() == updates) {
            XSync(editor.surface->GetDisplay(), False);
            editor.surface->Idle();
        }
    }
    XTestFakeButtonEvent(editor.user, 1, False, CurrentTime);
    XSync(editor.user, False);
}
BENCHMARK(BM_KnobDragToScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

// The editor's own event loop for two seconds with nothing to redraw; reports the share of one
// core it used.
void BM_IdleEditorCPU(benchmark::State& state) {
    Editor editor;
    if (!editor.Open(state)) return;
    for (auto _ : state) {
        const int updatesBefore = editor.surface->ScreenUpdates();
        const double cpuBefore = ProcessCPUSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::seconds(2));
            editor.surface->RequestQuit();
        });
        editor.surface->RunEventLoop();
        stopper.join();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        state.counters["cpu_percent_of_a_core"] = 100.0 * (ProcessCPUSeconds() - cpuBefore) / wall;
        state.counters["screen_updates"] = editor.surface->ScreenUpdates() - updatesBefore;
    }
}
BENCHMARK(BM_IdleEditorCPU)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
