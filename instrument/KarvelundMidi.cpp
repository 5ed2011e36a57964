// MIDI input: which messages the instrument plays, and what each does at its sample.
//
// Messages are only checked and queued when they arrive; everything they change (held notes,
// keys, voices, controllers) changes at the message's sample offset, so the sound never depends
// on where the host's blocks begin.

#include "Karvelund.h"

namespace {

bool IsPlayedController(int controller) {
    switch (controller) {
    case IMidiMsg::kModWheel:
    case IMidiMsg::kSustainPedal:
    case IMidiMsg::kAllSoundOff:
    case IMidiMsg::kResetAllControllers:
    case IMidiMsg::kAllNotesOff:
        return true;
    default:
        return false;
    }
}

// Data bytes of 128 and above are not MIDI: such a message is dropped whole.
bool IsPlayed(const IMidiMsg& msg) {
    if (msg.mData1 >= 128 || msg.mData2 >= 128) return false;
    switch (msg.StatusMsg()) {
    case IMidiMsg::kNoteOn:
    case IMidiMsg::kNoteOff:
    case IMidiMsg::kPitchWheel:
        return true;
    case IMidiMsg::kControlChange:
        return IsPlayedController(msg.mData1);
    default:
        return false;
    }
}

} // namespace

void Karvelund::ProcessMidiMsg(IMidiMsg* msg) {
    if (IsPlayed(*msg)) mMidiQueue.Add(msg);
}

void Karvelund::DispatchMidi(const IMidiMsg* msg) {
    switch (msg->StatusMsg()) {
    case IMidiMsg::kNoteOn:
        if (msg->Velocity() > 0) {
            KeyDown(msg->NoteNumber(), msg->Velocity());
            break;
        }
        [[fallthrough]];
    case IMidiMsg::kNoteOff:
        KeyUp(msg->NoteNumber());
        break;
    case IMidiMsg::kControlChange:
        Controller(msg->ControlChangeIdx(), msg->mData2);
        break;
    case IMidiMsg::kPitchWheel:
        mSynth.globalState.setPitchWheelDelta(msg->PitchWheel());
        break;
    default:
        break;
    }
}

void Karvelund::Controller(int controller, int value) {
    switch (controller) {
    case IMidiMsg::kModWheel:
        mSynth.globalState.modWheel.setModWheelAmount(value / 127.0);
        break;
    case IMidiMsg::kSustainPedal:
        SetPedal(value / 127.0);
        break;
    case IMidiMsg::kAllNotesOff:
        AllNotesOff();
        break;
    case IMidiMsg::kAllSoundOff:
        AllNotesOff();
        SilenceAllVoices();
        break;
    case IMidiMsg::kResetAllControllers:
        mSynth.globalState.setPitchWheelDelta(0.0);
        mSynth.globalState.modWheel.setModWheelAmount(0.0);
        SetPedal(0.0);
        break;
    default:
        break;
    }
}

void Karvelund::SetPedal(double value) {
    GlobalState& gs = mSynth.globalState;
    gs.setSustainPedalOnoff(value);
    if (gs.sustainPedalOnoff) return;
    // The keys the pedal was holding are up now, and so are their voices.
    for (int key = 0; key < 128; ++key) {
        if (mKeyHeldByPedal[key]) {
            mKeyHeldByPedal[key] = false;
            SetKey(key, false);
        }
    }
    ReleaseSustainedVoices();
}
