// MIDI input and voice allocation: what ProcessMidiMsg queues and rewrites when a message
// arrives, and how queued notes start, steal and release voices at their sample.

#include "Karvelund.h"

namespace {

void Retrigger(ADSRState& st) {
    st.gate = st.gateCopy;
    st.level = st.lastOutput;
    st.stage = ADSRState::kRetrigger;
}

void Release(ADSRState& st) {
    st.level = 1.0;
    st.gate = st.gateCopy;
    st.releaseStart = st.lastOutput;
    st.stage = ADSRState::kRelease;
}

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
    }
}

void Karvelund::ProcessMidiMsg(IMidiMsg* msg) {
    GlobalState& gs = mSynth.globalState;
    Voice& voice0 = *mSynth.voices[0];
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
            const double value = msg->ControlChange(IMidiMsg::kSustainPedal);
            gs.setSustainPedalOnoff(value);
            if (value < 0.5) {
                // Pedal up: every note it held is released now.
                for (int i = 0; i < gs.numVoices; ++i) {
                    VoiceState& vs = mSynth.voices[i]->state;
                    if (!vs.sustained) continue;
                    RewriteAsNoteOff(msg, vs.noteNumber);
                    vs.sustained = false;
                    Release(vs.adsrState);
                    ReleaseKey(vs.noteNumber);
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

    if (status == IMidiMsg::kNoteOn && velocity > 0) {
        if (gs.phonicType == GlobalState::kMono) {
            held.push_front(note);
            mLastVelocity = velocity;
        } else if (gs.phonicType == GlobalState::kLegato) {
            if (!held.empty()) {
                voice0.state.osc.targetNote = note;
                held.push_front(note);
                return;
            }
            voice0.state.noteNumber = note;
            held.push_front(note);
        }
        if (!mKeyStatus[note]) {
            mKeyStatus[note] = true;
            ++mNumHeldKeys;
        }
        mMidiQueue.Add(msg);
        return;
    }

    // Note-off, or note-on with velocity 0.
    if (gs.phonicType == GlobalState::kMono) {
        if (held.empty()) {
            RewriteAsNoteOff(msg, note);
        } else if (held.front() == note) {
            held.pop_front();
            RewriteAsNoteOff(msg, note);
            if (!held.empty() && held.front() != note) {
                // Back to the most recent key still held.
                RewriteAsNoteOn(msg, held.front(), mLastVelocity);
                Retrigger(voice0.state.adsrState);
            }
        } else {
            held.remove(note);
        }
    } else if (gs.phonicType == GlobalState::kLegato) {
        if (held.empty()) {
            RewriteAsNoteOff(msg, voice0.state.noteNumber);
        } else {
            held.remove(note);
            if (!held.empty() && held.front() != note) {
                voice0.state.osc.targetNote = held.front();
                return;
            }
            RewriteAsNoteOff(msg, voice0.state.noteNumber);
            held.clear();
        }
    } else {
        RewriteAsNoteOff(msg, note);
    }

    if (!gs.sustainPedalOnoff) ReleaseKey(msg->NoteNumber());
    mMidiQueue.Add(msg);
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
    case IMidiMsg::kControlChange:
        if (msg->ControlChangeIdx() == IMidiMsg::kSustainPedal)
            gs.setSustainPedalOnoff(msg->ControlChange(IMidiMsg::kSustainPedal));
        else if (msg->ControlChangeIdx() == IMidiMsg::kModWheel)
            gs.modWheel.setModWheelAmount(msg->ControlChange(IMidiMsg::kModWheel));
        break;
    case IMidiMsg::kPitchWheel:
        gs.setPitchWheelDelta(msg->PitchWheel());
        break;
    default:
        break;
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
            Retrigger(vs.adsrState);
            vs.osc.targetNote = note;
            return;
        }
    }

    const int v = FindFreeVoice();
    VoiceState& vs = mSynth.voices[v]->state;
    RestartLFO(vs);
    vs.osc.targetNote = note;
    SetVelocityFactors(vs, velocity);
    Retrigger(vs.adsrState);
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
        OnParamReset();
        mParamResetPending = false;
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
        Release(vs.adsrState);
    }
}

void Karvelund::NoteOffAll() {
    GlobalState& gs = mSynth.globalState;
    for (int i = 0; i < gs.numVoices; ++i) {
        VoiceState& vs = mSynth.voices[i]->state;
        if (!vs.isBusy()) continue;
        Release(vs.adsrState);
        if (IsValidNote(vs.noteNumber)) mKeyStatus[vs.noteNumber] = false;
    }
    mSynth.heldNotes.clear();
    mNumHeldKeys = 0;
    lfogateisstart = false;
}
