// A host's threads: one renders blocks while another sets parameters, selects and renames
// presets, loads programs and banks and restores the state. Run under ThreadSanitizer by
// `make test-tsan`; KARVELUND_STRESS_SECONDS sets how long (default 1 s).

#include "InstrumentHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>
#include <thread>

namespace {

double stressSeconds() {
    const char* value = std::getenv("KARVELUND_STRESS_SECONDS");
    return value ? std::atof(value) : 1.0;
}

// What a host does from its other threads, each request whole.
void hostRequests(Karvelund& plug, const std::atomic<bool>& stop, int* requests) {
    ByteChunk program, bank, state;
    plug.MakeProgramFile(&program);
    plug.MakeBankFile(&bank);
    plug.SerializeState(&state);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    while (!stop) {
        switch (rng() % 6) {
        case 0:
            plug.SetParameterFromGUI(static_cast<int>(rng() % kNumParams), unit(rng));
            break;
        case 1:
            plug.RestorePreset(static_cast<int>(rng() % 64));
            break;
        case 2:
            plug.LoadProgramFromChunk(&program);
            break;
        case 3:
            plug.LoadBankFromChunk(&bank);
            break;
        case 4:
            plug.UnserializeState(&state, 0);
            break;
        default:
            plug.ModifyCurrentPreset(unit(rng) < 0.5 ? "Renamed" : "Renamed again");
            break;
        }
        ++*requests;
    }
}

} // namespace

TEST(Threads, RenderingBesideHostRequestsStaysFiniteAndBounded) {
    IsolatedUserData userData;
    InstrumentHost host(256, 48000.0, true);
    Karvelund& plug = host.plug();
    std::atomic<bool> stop{false};
    int requests = 0;
    std::thread other(hostRequests, std::ref(plug), std::cref(stop), &requests);

    std::mt19937 rng(3);
    std::vector<double> left(256), right(256);
    double* outputs[2] = {left.data(), right.data()};
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(stressSeconds());
    long blocks = 0, bad = 0;
    while (std::chrono::steady_clock::now() < end) {
        const int note = 36 + static_cast<int>(rng() % 48);
        plug.SendMidiToPlug(IMidiMsg(static_cast<int>(rng() % 256), 0x90, note, 100));
        plug.SendMidiToPlug(IMidiMsg(static_cast<int>(rng() % 256), 0x80, note - 12, 0));
        if (blocks % 16 == 0) plug.SendMidiToPlug(IMidiMsg(0, 0xB0, 123, 0));
        plug.Render(outputs, 256);
        for (int i = 0; i < 256; ++i)
            if (!std::isfinite(left[i]) || std::fabs(left[i]) > 1.0 || left[i] != right[i]) ++bad;
        ++blocks;
    }
    stop = true;
    other.join();
    EXPECT_EQ(bad, 0);
    EXPECT_GT(blocks, 10);
    EXPECT_GT(requests, 10);
}
