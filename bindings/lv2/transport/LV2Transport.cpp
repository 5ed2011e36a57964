#include "LV2Transport.h"

#include <algorithm>
#include <cmath>

double LV2Transport::QuarterNotesPerBar() const {
    return mBeatsPerBar * 4.0 / mBeatUnit;
}

void LV2Transport::UpdateLastBar() {
    if (mInfo.mPPQPos < 0.0) return;
    const double barLength = QuarterNotesPerBar();
    // A position run on by many small steps lands a rounding error short of a bar line.
    mInfo.mLastBar = std::floor(mInfo.mPPQPos / barLength + 1e-9) * barLength;
}

void LV2Transport::Apply(const Update& u) {
    if (u.hasTempo && std::isfinite(u.tempo) && u.tempo > 0.0) mInfo.mTempo = u.tempo;
    if (u.hasSpeed && std::isfinite(u.speed)) mSpeed = u.speed;
    if (u.hasFrame && std::isfinite(u.frame) && u.frame >= 0.0) mInfo.mSamplePos = u.frame;
    if (u.hasBeatUnit && std::isfinite(u.beatUnit) && u.beatUnit >= 1.0) mBeatUnit = u.beatUnit;
    if (u.hasBeatsPerBar && std::isfinite(u.beatsPerBar) && u.beatsPerBar > 0.0)
        mBeatsPerBar = u.beatsPerBar;
    mInfo.mNumerator = static_cast<int>(mBeatsPerBar);
    mInfo.mDenominator = static_cast<int>(mBeatUnit);
    if (u.hasBar && u.hasBarBeat && std::isfinite(u.bar) && std::isfinite(u.barBeat) &&
        u.bar >= 0.0 && u.barBeat >= 0.0) {
        const double quarterPerBeat = 4.0 / mBeatUnit;
        mInfo.mPPQPos = (u.bar * mBeatsPerBar + u.barBeat) * quarterPerBeat;
    }
    UpdateLastBar();
    mInfo.mTransportIsRunning = mSpeed != 0.0;
}

void LV2Transport::Advance(int frames) {
    if (mSpeed == 0.0 || frames <= 0) return;
    const double moved = frames * mSpeed;
    if (mInfo.mSamplePos >= 0.0) mInfo.mSamplePos = std::max(0.0, mInfo.mSamplePos + moved);
    if (mInfo.mPPQPos >= 0.0) {
        mInfo.mPPQPos = std::max(0.0, mInfo.mPPQPos + moved * mInfo.mTempo / (60.0 * mSampleRate));
        UpdateLastBar();
    }
}
