#include "EngineKit.h"

#include "KarvelundParamTable.h"

#include <array>

#include <algorithm>
#include <cmath>

namespace enginekit {

namespace {

// The patch's values by parameter index.
std::array<double, kNumParams> valuesOf(const Patch& p) {
    std::array<double, kNumParams> v{};
    v[kBPMSync] = p.bpmSync ? 1.0 : 0.0;
    v[kLFOType] = p.lfoType;
    v[kLFOSpeed] = p.lfoSpeed;
    v[kLFOTarget] = p.lfoTarget;
    v[kLFOAmount] = p.lfoAmount;
    v[kHardSync] = p.hardSync;
    v[kPulseWidth] = p.pulseWidth;
    v[kSawDetune] = p.sawDetune;
    v[kSubOscWave] = p.subOscWave;
    v[kNoise] = p.noise;
    v[kSaw] = p.saw;
    v[kPulse] = p.pulse;
    v[kSub] = p.sub;
    v[kAttack] = p.attack;
    v[kDecay] = p.decay;
    v[kSustain] = p.sustain;
    v[kRelease] = p.release;
    v[kPhonicType] = p.phonicType;
    v[kFilterType] = p.filterType;
    v[kCutoff] = p.cutoff;
    v[kResonance] = p.resonance;
    v[kKbdTrk] = p.kbdTrk;
    v[kEnvAmount] = p.envAmount;
    v[kDrivePrePost] = p.drivePost ? 1.0 : 0.0;
    v[kDriveAmount] = p.driveAmount;
    v[kAmpEnvSelect] = p.ampEnvType;
    v[kVolume] = p.volume;
    v[kPitchBendRange] = p.pitchBendRange;
    v[kModWheelTarget] = p.modWheelTarget;
    v[kVelocityTarget] = p.velocityTarget;
    v[kPortaSpeed] = p.portaSpeed;
    return v;
}

} // namespace

double defaultOf(int paramIdx) {
    return GetParamDef(paramIdx).defaultValue;
}

// Every value reaches the engine through its row of the instrument's parameter table.
void apply(Synthesizer& synth, const Patch& p, double sampleRate) {
    synth.init(sampleRate);
    synth.lfo.setBPM(p.bpm);
    const std::array<double, kNumParams> values = valuesOf(p);
    const EngineTarget target{synth, sampleRate, values.data()};
    for (const ParamDef& def : KarvelundParamTable())
        def.apply(target, values[def.index]);
}

void noteOn(Synthesizer& synth, int v, int note, int velocity) {
    bool lfogateisstart = false; // every kit note starts a phrase
    synth.startVoice(v, note, velocity, lfogateisstart);
    synth.assignNote(v, note);
}

void noteOff(Synthesizer& synth, int v) {
    synth.releaseVoice(v);
}

std::vector<double> render(Synthesizer& synth, int samples) {
    std::vector<double> out(samples);
    synth.render(out.data(), samples);
    return out;
}

static size_t end(const std::vector<double>& x, size_t to) {
    return to ? std::min(to, x.size()) : x.size();
}

double rms(const std::vector<double>& x, size_t from, size_t to) {
    to = end(x, to);
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += x[i] * x[i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

double peak(const std::vector<double>& x, size_t from, size_t to) {
    to = end(x, to);
    double p = 0.0;
    for (size_t i = from; i < to; ++i)
        p = std::max(p, std::abs(x[i]));
    return p;
}

double estimateFrequency(const std::vector<double>& x, double sampleRate, double fmin, double fmax,
                         size_t from) {
    const size_t minLag = size_t(sampleRate / fmax);
    const size_t maxLag = size_t(sampleRate / fmin) + 1;
    if (x.size() <= from + 2 * maxLag) return 0.0;
    const size_t n = x.size() - from - maxLag - 1;
    double mean = 0.0;
    for (size_t i = from; i < x.size(); ++i)
        mean += x[i];
    mean /= double(x.size() - from);

    auto corr = [&](size_t lag) {
        double c = 0.0, e0 = 0.0, e1 = 0.0;
        for (size_t i = from; i < from + n; ++i) {
            const double a = x[i] - mean, b = x[i + lag] - mean;
            c += a * b;
            e0 += a * a;
            e1 += b * b;
        }
        return e0 > 0 && e1 > 0 ? c / std::sqrt(e0 * e1) : 0.0;
    };

    size_t best = minLag;
    double bestC = -2.0;
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
        const double c = corr(lag);
        if (c > bestC) {
            bestC = c;
            best = lag;
        }
    }
    // Parabolic interpolation around the peak for a sub-sample period.
    const double cm = corr(best - 1), c0 = bestC, cp = corr(best + 1);
    const double denom = cm - 2.0 * c0 + cp;
    const double shift = denom != 0.0 ? 0.5 * (cm - cp) / denom : 0.0;
    return sampleRate / (double(best) + shift);
}

} // namespace enginekit
