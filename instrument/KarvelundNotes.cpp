// MIDI input and voice allocation: what ProcessMidiMsg queues and rewrites when a message
// arrives, and how queued notes start, steal and release voices at their sample.

#include "Karvelund.h"

#include <algorithm>
#include <iterator>

namespace {

// A rewritten message keeps the sample offset it arrived with.
void RewriteAsNoteOff(IMidiMsg* msg, int note) {
    const int offset = msg->mOffset;
    msg->MakeNoteOffMsg(note, offset);
}

void RewriteAsNoteOn(IMidiMsg* msg, int note, int velocity) {
    const int offset = msg->mOffset;
    msg->MakeNoteOnMsg(note, velocity, offset);
}

bool IsValidNote(int note) {
    return note >= 0 && note < 128;
}

} // namespace

// Clears a held key; the count only falls for a key that was held, so it never goes negative.
void Karvelund::ReleaseKey(int note) {
    if (IsValidNote(note) && mKeyStatus[note]) {
        mKeyStatus[note] = false;
        --mNumHeldKeys;
        mKeysChanged = true;
    }
}

// Runs as each message arrives. It keeps the held-note list and the key table up to date at
// once, and queues what the engine must do at the message's sample: note starts, releases,
// pedal releases and legato pitch moves all take effect at their offset, so the sound does not
// depend on where the host's blocks begin.
void Karvelund::ProcessMidiMsg(IMidiMsg* msg) {
    GlobalState& gs = mSynth.globalState;
    const IMidiMsg::EStatusMsg status = msg->StatusMsg();

    // Note and controller numbers index 128-entry tables: out-of-range bytes are not MIDI.
    const bool hasIndexByte = status == IMidiMsg::kNoteOn || status == IMidiMsg::kNoteOff ||
                              status == IMidiMsg::kControlChange;
    if (hasIndexByte && msg->mData1 >= 128) return;

    switch (status) {
    case IMidiMsg::kPitchWheel:
        mMidiQueue.Add(msg);
        return;
    case IMidiMsg::kControlChange:
        if (msg->ControlChangeIdx() == IMidiMsg::kSustainPedal) {
            mPedalDown = msg->ControlChange(IMidiMsg::kSustainPedal) >= 0.5;
            if (!mPedalDown) {
                // The keys the pedal was holding are up now.
                for (int key = 0; key < 128; ++key) {
                    if (mKeyHeldByPedal[key]) {
                        mKeyHeldByPedal[key] = false;
                        ReleaseKey(key);
                    }
                }
            }
            mMidiQueue.Add(msg);
        } else if (msg->ControlChangeIdx() == IMidiMsg::kModWheel) {
            mMidiQueue.Add(msg);
        }
        return;
    case IMidiMsg::kNoteOn:
    case IMidiMsg::kNoteOff:
        break;
    default:
        return;
    }

    if (mNumHeldKeys < 1) lfogateisstart = false;

    const int note = msg->NoteNumber();
    const int velocity = msg->Velocity();
    NoteList& held = mSynth.heldNotes;
    VoiceState& voice0 = mSynth.voices[0]->state;

    if (status == IMidiMsg::kNoteOn && velocity > 0) {
        if (gs.phonicType == GlobalState::kMono) {
            held.push_front(note);
            mLastVelocity = velocity;
        } else if (gs.phonicType == GlobalState::kLegato) {
            if (!held.empty()) {
                held.push_front(note);
                QueueLegatoMove(msg, note);
                return;
            }
            voice0.noteNumber = note;
            held.push_front(note);
        }
        mKeyHeldByPedal[note] = false;
        if (!mKeyStatus[note]) {
            mKeyStatus[note] = true;
            ++mNumHeldKeys;
            mKeysChanged = true;
        }
        mMidiQueue.Add(msg);
        return;
    }

    // Note-off, or note-on with velocity 0. The key let go is normally the note of the message
    // as it ends up; a mono return to a held note rewrites it, but the key let go is this one.
    int releasedKey = -1;
    if (gs.phonicType == GlobalState::kMono) {
        if (held.empty()) {
            RewriteAsNoteOff(msg, note);
        } else if (held.front() == note) {
            held.pop_front();
            RewriteAsNoteOff(msg, note);
            if (!held.empty() && held.front() != note) {
                // Back to the most recent key still held; its note-on retriggers voice 0.
                RewriteAsNoteOn(msg, held.front(), mLastVelocity);
                releasedKey = note;
            }
        } else {
            held.remove(note);
        }
    } else if (gs.phonicType == GlobalState::kLegato) {
        if (held.empty()) {
            RewriteAsNoteOff(msg, voice0.noteNumber);
        } else {
            held.remove(note);
            if (!held.empty() && held.front() != note) {
                QueueLegatoMove(msg, held.front());
                return;
            }
            RewriteAsNoteOff(msg, voice0.noteNumber);
            held.clear();
        }
    } else {
        RewriteAsNoteOff(msg, note);
    }

    const int key = releasedKey >= 0 ? releasedKey : msg->NoteNumber();
    if (!mPedalDown)
        ReleaseKey(key);
    else if (IsValidNote(key) && mKeyStatus[key])
        mKeyHeldByPedal[key] = true;
    mMidiQueue.Add(msg);
}

// A legato pitch move travels through the queue as a poly-aftertouch message: real aftertouch
// never reaches the queue (it is dropped on arrival), so the kind is free for this.
void Karvelund::QueueLegatoMove(IMidiMsg* msg, int note) {
    const IMidiMsg move(msg->mOffset, IMidiMsg::kPolyAfterTouch << 4,
                        static_cast<unsigned char>(note), 0);
    mMidiQueue.Add(&move);
}

void Karvelund::DispatchMidi(const IMidiMsg* msg) {
    GlobalState& gs = mSynth.globalState;
    switch (msg->StatusMsg()) {
    case IMidiMsg::kNoteOff:
        NoteOff(msg);
        break;
    case IMidiMsg::kNoteOn:
        NoteOn(msg);
        break;
    case IMidiMsg::kPolyAfterTouch:
        mSynth.voices[0]->state.osc.targetNote = msg->mData1;
        break;
    case IMidiMsg::kControlChange:
        if (msg->ControlChangeIdx() == IMidiMsg::kSustainPedal) {
            const double value = msg->ControlChange(IMidiMsg::kSustainPedal);
            gs.setSustainPedalOnoff(value);
            if (!gs.sustainPedalOnoff) ReleaseSustainedVoices();
        } else if (msg->ControlChangeIdx() == IMidiMsg::kModWheel) {
            gs.modWheel.setModWheelAmount(msg->ControlChange(IMidiMsg::kModWheel));
        }
        break;
    case IMidiMsg::kPitchWheel:
        gs.setPitchWheelDelta(msg->PitchWheel());
        break;
    default:
        break;
    }
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

void Karvelund::NoteOn(const IMidiMsg* msg) {
    const int note = msg->NoteNumber();
    const int velocity = msg->Velocity();
    if (msg->StatusMsg() != IMidiMsg::kNoteOn || velocity == 0) return;
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

void Karvelund::NoteOff(const IMidiMsg* msg) {
    const int note = msg->NoteNumber();
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

void Karvelund::NoteOffAll() {
    GlobalState& gs = mSynth.globalState;
    for (int i = 0; i < gs.numVoices; ++i) {
        VoiceState& vs = mSynth.voices[i]->state;
        if (!vs.isBusy()) continue;
        vs.adsrState.release();
        if (IsValidNote(vs.noteNumber)) mKeyStatus[vs.noteNumber] = false;
    }
    mKeysChanged = true;
    mSynth.heldNotes.clear();
    std::fill(std::begin(mKeyHeldByPedal), std::end(mKeyHeldByPedal), false);
    mNumHeldKeys = 0;
    lfogateisstart = false;
}
