#include "EngineKit.h"

#include <algorithm>
#include <cmath>

namespace enginekit {

void apply(Synthesizer& synth, const Patch& p, double sampleRate) {
    synth.init(sampleRate);
    GlobalState& gs = synth.globalState;
    LFO& lfo = synth.lfo;
    lfo.setBPM(p.bpm);
    lfo.setBPMSyncOnoff(p.bpmSync);
    lfo.setType(p.lfoType);
    lfo.setSpeed(p.lfoSpeed);
    lfo.setTarget(p.lfoTarget);
    lfo.setAmount(p.lfoAmount);
    gs.setHardSyncAmount(p.hardSync);
    gs.setPulseWidth(p.pulseWidth);
    gs.setSawDetune(p.sawDetune);
    gs.setSubOscBalance(p.subOscWave);
    gs.setNoiseAmount(p.noise);
    gs.setSawAmount(p.saw);
    gs.setPulseAmount(p.pulse);
    gs.setSubAmount(p.sub);
    synth.adsr.setStageTime(ADSRState::kAttack, p.attack);
    synth.adsr.setStageTime(ADSRState::kDecay, p.decay);
    synth.adsr.setSustainLevel(p.sustain);
    synth.adsr.setStageTime(ADSRState::kRelease, p.release);
    gs.setPhonicType(p.phonicType);
    gs.setFilterType(p.filterType);
    gs.setCutoff(p.cutoff);
    gs.setResonance(p.resonance);
    gs.setKbdTrk(p.kbdTrk);
    gs.setEnvAmount(p.envAmount);
    gs.setDriveOnoff(p.drivePost);
    gs.setDriveAmount(p.driveAmount);
    gs.setAmpEnvType(p.ampEnvType);
    gs.setVolume(p.volume);
    gs.setPitchWheelRange(p.pitchBendRange);
    gs.modWheel.setModWheelTarget(p.modWheelTarget);
    gs.setVelocityTarget(p.velocityTarget);
    gs.setPortaSpeed(p.portaSpeed, sampleRate);
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
