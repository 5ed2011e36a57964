// Speed of the editor's hot raster paths on a surface the size of the editor (1080 x 525).

#include "raster/raster_blit.h"
#include "raster/raster_draw.h"
#include "raster/raster_font.h"
#include "raster/raster_transform.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 1080, kHeight = 525, kKnob = 60;
constexpr const char* kText = "Filter cutoff 12.5 k"; // 20 characters

void fill(RAST_IBitmap* bm, RAST_pixel p) {
    RAST_FillRect(bm, 0, 0, bm->getWidth(), bm->getHeight(), p, 1.0f, 0);
}

// A knob picture: transparent corners, an antialiased disc and a pointer.
void drawKnob(RAST_IBitmap* knob) {
    fill(knob, 0);
    RAST_FillCircle(knob, 30, 30, 26.0f, RAST_RGBA(90, 90, 100, 255), 1.0f, 0, true);
    RAST_Line(knob, 30, 30, 30, 6, RAST_RGBA(250, 250, 250, 255), 1.0f, 0, true);
}

void setPixelRate(benchmark::State& state, double pixelsPerIteration) {
    state.counters["Mpix"] = benchmark::Counter(pixelsPerIteration / 1e6 * state.iterations(),
                                                benchmark::Counter::kIsRate);
}

void BM_OpaqueBlitFullSurface(benchmark::State& state) {
    RAST_MemBitmap src(kWidth, kHeight), dest(kWidth, kHeight);
    fill(&src, 0x80402010);
    for (auto _ : state) {
        RAST_Blit(&dest, &src, 0, 0, nullptr, 1.0f, RAST_BLIT_MODE_COPY);
        benchmark::DoNotOptimize(dest.getBits());
        benchmark::ClobberMemory();
    }
    setPixelRate(state, double(kWidth) * kHeight);
}
BENCHMARK(BM_OpaqueBlitFullSurface);

void BM_MemcpySameBytes(benchmark::State& state) {
    std::vector<RAST_pixel> src(std::size_t(kWidth) * kHeight, 0x80402010), dest(src.size());
    for (auto _ : state) {
        std::memcpy(dest.data(), src.data(), src.size() * sizeof(RAST_pixel));
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
    setPixelRate(state, double(kWidth) * kHeight);
}
BENCHMARK(BM_MemcpySameBytes);

// Both in one loop, alternating, so that they see the same machine state; reports their ratio.
void BM_OpaqueBlitVersusMemcpy(benchmark::State& state) {
    RAST_MemBitmap src(kWidth, kHeight), dest(kWidth, kHeight);
    fill(&src, 0x80402010);
    std::vector<RAST_pixel> msrc(std::size_t(kWidth) * kHeight, 1), mdest(msrc.size());
    using Clock = std::chrono::steady_clock;
    Clock::duration blit{}, copy{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        RAST_Blit(&dest, &src, 0, 0, nullptr, 1.0f, RAST_BLIT_MODE_COPY);
        benchmark::ClobberMemory();
        const auto t1 = Clock::now();
        std::memcpy(mdest.data(), msrc.data(), msrc.size() * sizeof(RAST_pixel));
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        blit += t1 - t0, copy += t2 - t1;
    }
    const double pixels = double(kWidth) * kHeight * state.iterations();
    const double blitSeconds = std::chrono::duration<double>(blit).count();
    const double copySeconds = std::chrono::duration<double>(copy).count();
    state.counters["blit_Mpix/s"] = pixels / 1e6 / blitSeconds;
    state.counters["memcpy_Mpix/s"] = pixels / 1e6 / copySeconds;
    state.counters["blit/memcpy_time"] = blitSeconds / copySeconds;
}
BENCHMARK(BM_OpaqueBlitVersusMemcpy);

void BM_HalfFillFullSurface(benchmark::State& state) {
    RAST_MemBitmap dest(kWidth, kHeight);
    fill(&dest, 0x80402010);
    for (auto _ : state) {
        RAST_FillRect(&dest, 0, 0, kWidth, kHeight, 0xFF000000, 0.5f, RAST_BLIT_MODE_COPY);
        benchmark::DoNotOptimize(dest.getBits());
    }
    setPixelRate(state, double(kWidth) * kHeight);
}
BENCHMARK(BM_HalfFillFullSurface);

void BM_KnobSourceAlphaBlit(benchmark::State& state) {
    RAST_MemBitmap knob(kKnob, kKnob), dest(kWidth, kHeight);
    drawKnob(&knob);
    fill(&dest, RAST_RGBA(30, 30, 30, 255));
    for (auto _ : state) {
        RAST_Blit(&dest, &knob, 500, 200, nullptr, 1.0f, RAST_BLIT_USE_ALPHA);
        benchmark::DoNotOptimize(dest.getBits());
    }
    setPixelRate(state, double(kKnob) * kKnob);
}
BENCHMARK(BM_KnobSourceAlphaBlit);

void BM_KnobRotatedBilinear(benchmark::State& state) {
    RAST_MemBitmap knob(kKnob, kKnob), dest(kWidth, kHeight);
    drawKnob(&knob);
    fill(&dest, RAST_RGBA(30, 30, 30, 255));
    float angle = 0.0f;
    for (auto _ : state) {
        RAST_RotatedBlit(&dest, &knob, 500, 200, kKnob, kKnob, 0, 0, kKnob, kKnob, angle, false,
                         1.0f, RAST_BLIT_USE_ALPHA | RAST_BLIT_FILTER_BILINEAR, 0.0f, 0.0f);
        angle += 0.01f;
        benchmark::DoNotOptimize(dest.getBits());
    }
    setPixelRate(state, double(kKnob) * kKnob);
}
BENCHMARK(BM_KnobRotatedBilinear);

// The editor's text: a forced-native font drawing into the system bitmap of the surface.
void textBenchmark(benchmark::State& state, unsigned flags, RAST_pixel color) {
    RAST_SysBitmap dest(kWidth, kHeight);
    RAST_CachedFont font;
    font.SetFromHFont(CreateFont(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"),
                      RAST_FONT_FLAG_OWNS_HFONT | RAST_FONT_FLAG_FORCE_NATIVE);
    font.SetTextColor(color);
    for (auto _ : state) {
        RECT r{100, 100, 400, 130};
        benchmark::DoNotOptimize(
            font.DrawText(&dest, kText, -1, &r, DT_NOCLIP | DT_CENTER | flags));
    }
    state.counters["chars/s"] =
        benchmark::Counter(20.0 * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_TextPlatformWay(benchmark::State& state) {
    textBenchmark(state, 0, RAST_RGBA(255, 255, 255, 255));
}
BENCHMARK(BM_TextPlatformWay);

void BM_TextCachedWay(benchmark::State& state) {
    textBenchmark(state, RAST_DT_USEFGALPHA, RAST_RGBA(255, 255, 255, 200));
}
BENCHMARK(BM_TextCachedWay);

} // namespace

BENCHMARK_MAIN();
