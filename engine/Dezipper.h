#pragma once

// One-pole smoother for control values. A positive target is approached exponentially
// (about 500 samples); a target at or below zero resets the output to 0 at once, so turning a
// control fully down takes effect immediately.
struct Dezipper {
    double state = 0.0;

    double process(double target) {
        if (target > 0.0)
            state = 0.998 * state + 0.002 * target;
        else
            state = 0.0;
        return state;
    }
};
