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
    if (!held.empty()) {
        held.push_front(note);
        mSynth.setTargetNote(0, note);
        return;
    }
    mSynth.assignNote(0, note);
    held.push_front(note);
    PressKey(note);
    NoteOn(note, velocity);
}

// The phrase ends with its last key; until then the voice moves to the newest key still held.
void Karvelund::KeyUpLegato(int note) {
    NoteList& held = mSynth.heldNotes;
    if (!held.empty()) {
        held.remove(note);
        if (!held.empty() && held.front() != note) {
            mSynth.setTargetNote(0, held.front());
            return;
        }
        held.clear();
    }
    const int phraseNote = mSynth.voiceState(0).noteNumber;
    NoteOff(phraseNote);
    LetGoKey(phraseNote);
}

void Karvelund::NoteOn(int note, int velocity) {
    const int playing = mSynth.findVoicePlaying(note);
    if (playing >= 0) {
        // The same key again: retrigger its voice instead of taking another.
        mSynth.startVoice(playing, note, velocity, lfogateisstart);
        return;
    }
    const int v = FindFreeVoice();
    mSynth.startVoice(v, note, velocity, lfogateisstart);
    if (mSynth.globalState.phonicType != GlobalState::kLegato)
        mSynth.assignNote(v, note);
    else if (mNumHeldKeys <= 1)
        mSynth.jumpToNote(0, note); // the first note of a legato phrase does not glide
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
    return mSynth.findFreeVoice();
}

void Karvelund::NoteOff(int note) {
    mSynth.releaseNote(note);
}

// Releases every voice and forgets every key, as a change of phonic type requires.
void Karvelund::NoteOffAll() {
    mSynth.releaseAll();
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
    if (mSynth.globalState.sustainPedalOnoff)
        mSynth.sustainAll();
    else
        mSynth.releaseAll();
}

// All Sound Off: every voice stops at once, without a release.
void Karvelund::SilenceAllVoices() {
    mSynth.silenceAll();
    ClearKeys();
}
