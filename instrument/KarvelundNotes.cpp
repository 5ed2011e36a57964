// Keys and voices: what a key pressed or let go does in each phonic type, and how notes start,
// steal and release voices. All of it runs at the sample of the MIDI message.

#include "Karvelund.h"

#include <algorithm>
#include <iterator>

namespace {

bool IsValidNote(int note) {
    return note >= 0 && note < 128;
}

} // namespace

// The key table and its count change together, so the count is always the number of lit keys.
void Karvelund::SetKey(int note, bool down) {
    if (!IsValidNote(note) || mKeyStatus[note] == down) return;
    mKeyStatus[note] = down;
    mNumHeldKeys += down ? 1 : -1;
    mKeysChanged = true;
}

void Karvelund::PressKey(int note) {
    mKeyHeldByPedal[note] = false;
    SetKey(note, true);
}

// A key let go while the pedal is down stays lit until the pedal is released.
void Karvelund::LetGoKey(int note) {
    if (!mSynth.globalState.sustainPedalOnoff)
        SetKey(note, false);
    else if (IsValidNote(note) && mKeyStatus[note])
        mKeyHeldByPedal[note] = true;
}

void Karvelund::KeyDown(int note, int velocity) {
    if (mNumHeldKeys < 1) lfogateisstart = false;
    switch (mSynth.globalState.phonicType) {
    case GlobalState::kMono:
        KeyDownMono(note, velocity);
        break;
    case GlobalState::kLegato:
        KeyDownLegato(note, velocity);
        break;
    default:
        PressKey(note);
        NoteOn(note, velocity);
        break;
    }
}

void Karvelund::KeyUp(int note) {
    if (mNumHeldKeys < 1) lfogateisstart = false;
    switch (mSynth.globalState.phonicType) {
    case GlobalState::kMono:
        KeyUpMono(note);
        break;
    case GlobalState::kLegato:
        KeyUpLegato(note);
        break;
    default:
        NoteOff(note);
        LetGoKey(note);
        break;
    }
}

void Karvelund::KeyDownMono(int note, int velocity) {
    mSynth.heldNotes.push_front(note);
    mLastVelocity = velocity;
    PressKey(note);
    NoteOn(note, velocity);
}

// Letting go of the newest key returns to the most recent key still held, retriggering it.
void Karvelund::KeyUpMono(int note) {
    NoteList& held = mSynth.heldNotes;
    if (!held.empty() && held.front() == note) {
        held.pop_front();
        if (!held.empty() && held.front() != note)
            NoteOn(held.front(), mLastVelocity);
        else
            NoteOff(note);
    } else if (!held.empty()) {
        held.remove(note);
        NoteOff(note);
    } else {
        NoteOff(note);
    }
    LetGoKey(note);
}

// Only the first key of a legato phrase starts the voice; later keys move its pitch.
void Karvelund::KeyDownLegato(int note, int velocity) {
    NoteList& held = mSynth.heldNotes;
    VoiceState& voice = mSynth.voices[0]->state;
    if (!held.empty()) {
        held.push_front(note);
        voice.osc.targetNote = note;
        return;
    }
    voice.noteNumber = note;
    held.push_front(note);
    PressKey(note);
    NoteOn(note, velocity);
}

// The phrase ends with its last key; until then the voice moves to the newest key still held.
void Karvelund::KeyUpLegato(int note) {
    NoteList& held = mSynth.heldNotes;
    VoiceState& voice = mSynth.voices[0]->state;
    if (!held.empty()) {
        held.remove(note);
        if (!held.empty() && held.front() != note) {
            voice.osc.targetNote = held.front();
            return;
        }
        held.clear();
    }
    const int phraseNote = voice.noteNumber;
    NoteOff(phraseNote);
    LetGoKey(phraseNote);
}

void Karvelund::ReleaseSustainedVoices() {
    for (int i = 0; i < mSynth.globalState.numVoices; ++i) {
        VoiceState& vs = mSynth.voices[i]->state;
        if (vs.sustained) {
            vs.sustained = false;
            vs.adsrState.release();
        }
    }
}

void Karvelund::RestartLFO(VoiceState& voice) {
    LFO& lfo = *mSynth.lfo;
    if (lfo.seeIsOneShot()) {
        lfo.gateOn(&voice.lfoState);
        voice.lfoState.oneShotDone = false;
    } else if (!lfogateisstart) {
        // The free-running LFO restarts with the first note of a phrase only.
        lfo.gateOn(&mSynth.globalState.lfoState);
        lfogateisstart = true;
    }
}

void Karvelund::SetVelocityFactors(VoiceState& voice, int velocity) const {
    voice.velFilter = 1.0;
    voice.velAmp = 1.0;
    const int target = mSynth.globalState.velocityTarget;
    if (target == 1)
        voice.velFilter = velocity / 127.0;
    else if (target == 2)
        voice.velAmp = velocity / 127.0;
}

void Karvelund::NoteOn(int note, int velocity) {
    GlobalState& gs = mSynth.globalState;

    for (int i = 0; i < gs.numVoices; ++i) {
        VoiceState& vs = mSynth.voices[i]->state;
        if (vs.isBusy() && vs.noteNumber == note) {
            // The same key again: retrigger its voice instead of taking another.
            RestartLFO(vs);
            SetVelocityFactors(vs, velocity);
            vs.adsrState.retrigger();
            vs.osc.targetNote = note;
            return;
        }
    }

    const int v = FindFreeVoice();
    VoiceState& vs = mSynth.voices[v]->state;
    RestartLFO(vs);
    vs.osc.targetNote = note;
    SetVelocityFactors(vs, velocity);
    vs.adsrState.retrigger();
    if (gs.phonicType == GlobalState::kLegato) {
        if (mNumHeldKeys <= 1) {
            // The first note of a legato phrase does not glide.
            OscState& osc = mSynth.voices[0]->state.osc;
            osc.note = note;
            osc.targetNote = note;
        }
    } else {
        vs.noteNumber = note;
    }
    ++mNotesStarted;
}

int Karvelund::FindFreeVoice() {
    if (mParamResetPending) {
        // Every parameter is applied once more as the first note starts. That includes the
        // phonic type, whose change releases all notes; the keys held right now (this note
        // among them) must survive it, or mono and legato forget the phrase's first note.
        mParamResetPending = false;
        const NoteList held = mSynth.heldNotes;
        bool keys[128], heldByPedal[128];
        std::copy(std::begin(mKeyStatus), std::end(mKeyStatus), keys);
        std::copy(std::begin(mKeyHeldByPedal), std::end(mKeyHeldByPedal), heldByPedal);
        const int numHeld = mNumHeldKeys;
        const bool phraseStarted = lfogateisstart;
        OnParamReset();
        mSynth.heldNotes = held;
        std::copy(std::begin(keys), std::end(keys), mKeyStatus);
        std::copy(std::begin(heldByPedal), std::end(heldByPedal), mKeyHeldByPedal);
        mNumHeldKeys = numHeld;
        lfogateisstart = phraseStarted;
    }
    const int n = mSynth.globalState.numVoices;
    for (int i = 0; i < n; ++i) {
        if (!mSynth.voices[i]->state.isBusy()) return i;
    }
    // All busy: steal the voice that has sounded longest.
    int oldest = 0;
    for (int i = 1; i < n; ++i) {
        if (mSynth.voices[i]->state.adsrState.counter >
            mSynth.voices[oldest]->state.adsrState.counter)
            oldest = i;
    }
    mSynth.voices[oldest]->state.adsrState.counter = 0;
    return oldest;
}

void Karvelund::NoteOff(int note) {
    GlobalState& gs = mSynth.globalState;
    for (int i = 0; i < gs.numVoices; ++i) {
        VoiceState& vs = mSynth.voices[i]->state;
        if (!vs.isBusy() || vs.noteNumber != note) continue;
        if (gs.sustainPedalOnoff) {
            vs.sustained = true;
            return;
        }
        vs.adsrState.release();
    }
}

// Releases every voice and forgets every key, as a change of phonic type requires.
void Karvelund::NoteOffAll() {
    GlobalState& gs = mSynth.globalState;
    for (int i = 0; i < gs.numVoices; ++i) {
        VoiceState& vs = mSynth.voices[i]->state;
        if (vs.isBusy()) vs.adsrState.release();
    }
    ClearKeys();
    lfogateisstart = false;
}

void Karvelund::ClearKeys() {
    mSynth.heldNotes.clear();
    std::fill(std::begin(mKeyStatus), std::end(mKeyStatus), false);
    std::fill(std::begin(mKeyHeldByPedal), std::end(mKeyHeldByPedal), false);
    mNumHeldKeys = 0;
    mKeysChanged = true;
}

// All Notes Off: every key is let go at once; what the pedal holds sounds until it is released.
void Karvelund::AllNotesOff() {
    mSynth.heldNotes.clear();
    for (int key = 0; key < 128; ++key)
        LetGoKey(key);
    const GlobalState& gs = mSynth.globalState;
    for (int i = 0; i < Synthesizer::kMaxVoices; ++i) {
        VoiceState& vs = mSynth.voices[i]->state;
        if (!vs.isBusy() || vs.sustained) continue;
        if (gs.sustainPedalOnoff)
            vs.sustained = true;
        else
            vs.adsrState.release();
    }
}

// All Sound Off: every voice stops at once, without a release.
void Karvelund::SilenceAllVoices() {
    for (int i = 0; i < Synthesizer::kMaxVoices; ++i) {
        VoiceState& vs = mSynth.voices[i]->state;
        vs.adsrState = ADSRState();
        vs.sustained = false;
    }
    ClearKeys();
}
