#pragma once

// Running state of one LFO sweep: the free-running one lives in GlobalState, each voice keeps
// its own for the one-shot waveforms.
struct LFOState {
    double value = 0.0;
    double phase = 0.0;
    bool oneShotDone = false;
};
