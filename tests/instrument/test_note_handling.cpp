#include "InstrumentHost.h"

#include <gtest/gtest.h>

namespace {

// The first sample at which two renders differ, or -1.
int firstDifference(const std::vector<double>& a, const std::vector<double>& b) {
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) return static_cast<int>(i);
    return -1;
}

struct Phonic {
    int type;
    const char* name;
};

class NoteHandling : public ::testing::Test {
protected:
    IsolatedUserData userData;
};

} // namespace

TEST_F(NoteHandling, RewrittenNoteOffsKeepTheirSampleOffsetInEveryMode) {
    for (Phonic mode : {Phonic{0, "mono"}, Phonic{1, "poly"}, Phonic{2, "legato"}}) {
        InstrumentHost released, held;
        for (InstrumentHost* h : {&released, &held}) {
            h->setParam(kPhonicType, mode.type);
            h->noteOn(60, 100);
            h->renderBlocks(20);
        }
        released.noteOn(60, 0, 40); // velocity 0: a note-off
        released.renderBlocks(1);
        held.renderBlocks(1);
        EXPECT_EQ(firstDifference(released.left, held.left), 20 * 64 + 40) << mode.name;
        EXPECT_EQ(released.voice(0).adsrState.stage, ADSRState::kRelease) << mode.name;
    }
}

TEST_F(NoteHandling, MonoReturnsToTheHeldNoteWithTheLastVelocityAtTheReleaseSample) {
    InstrumentHost h;
    h.setParam(kPhonicType, 0);
    h.noteOn(60, 30);
    h.renderBlocks(4);
    h.noteOn(64, 120);
    h.renderBlocks(20);
    EXPECT_EQ(h.voice(0).osc.targetNote, 64.0);
    h.noteOff(64, 10);
    h.renderBlocks(1);
    EXPECT_EQ(h.voice(0).osc.targetNote, 60.0) << "C is played again";
    EXPECT_EQ(h.voice(0).noteNumber, 60);
    EXPECT_TRUE(h.plug().GetKeyStatus(60));
    EXPECT_FALSE(h.plug().GetKeyStatus(64));
    // Only voice 0 sounds in mono.
    for (int v = 1; v < 8; ++v)
        EXPECT_FALSE(h.voice(v).isBusy());
    h.noteOff(60);
    h.renderBlocks(1);
    EXPECT_EQ(h.voice(0).adsrState.stage, ADSRState::kRelease);
    EXPECT_EQ(h.plug().GetNumKeys(), 0);
}

TEST_F(NoteHandling, MonoRetriggerIsANoteOnAtTheOffsetOfTheRelease) {
    InstrumentHost h;
    h.setParam(kPhonicType, 0);
    h.noteOn(60, 100);
    h.noteOn(64, 100);
    h.renderBlocks(20);
    h.noteOff(64, 30);
    h.renderBlocks(1); // 64 samples; the voice starts fading to retrigger at sample 30
    const ADSRState& env = h.voice(0).adsrState;
    EXPECT_TRUE(env.stage == ADSRState::kRetrigger || env.stage == ADSRState::kAttack);
    EXPECT_EQ(env.counter, 64 - 30) << "the note-on for the held key took voice 0 at sample 30";
}

TEST_F(NoteHandling, TheFirstNoteOfASessionStaysHeldThroughTheInitialParameterReset) {
    InstrumentHost h;
    h.setParam(kPhonicType, 0);
    h.noteOn(60, 100); // the first note ever: every parameter is applied as it starts
    h.renderBlocks(2);
    EXPECT_TRUE(h.plug().GetKeyStatus(60));
    h.noteOn(64, 100);
    h.renderBlocks(2);
    h.noteOff(64);
    h.renderBlocks(1);
    EXPECT_EQ(h.voice(0).osc.targetNote, 60.0) << "releasing E returns to the first note";
    EXPECT_NE(h.voice(0).adsrState.stage, ADSRState::kRelease);
}

TEST_F(NoteHandling, LegatoMovesThePitchWithoutRetriggering) {
    InstrumentHost h;
    h.setParam(kPhonicType, 2);
    h.noteOn(60, 100);
    h.renderBlocks(20);
    ASSERT_EQ(h.voice(0).adsrState.stage, ADSRState::kSustain);
    h.noteOn(64, 100);
    h.renderBlocks(1);
    EXPECT_EQ(h.voice(0).osc.targetNote, 64.0);
    EXPECT_EQ(h.voice(0).osc.note, 64.0) << "no portamento: the pitch jumps";
    EXPECT_EQ(h.voice(0).adsrState.stage, ADSRState::kSustain);
    EXPECT_FALSE(h.plug().GetKeyStatus(64));
    h.noteOff(64);
    h.renderBlocks(1);
    EXPECT_EQ(h.voice(0).osc.targetNote, 60.0);
    EXPECT_EQ(h.voice(0).adsrState.stage, ADSRState::kSustain);
    h.noteOff(60);
    h.renderBlocks(1);
    EXPECT_EQ(h.voice(0).adsrState.stage, ADSRState::kRelease);
}

TEST_F(NoteHandling, LegatoGlidesWithPortamentoButNotOnThePhrasesFirstNote) {
    InstrumentHost h;
    h.setParam(kPhonicType, 2);
    h.setParam(kPortaSpeed, 0.3);
    h.noteOn(48, 100);
    h.renderBlocks(1);
    EXPECT_EQ(h.voice(0).osc.note, 48.0);
    h.noteOn(60, 100);
    h.renderBlocks(1);
    EXPECT_GT(h.voice(0).osc.note, 48.0);
    EXPECT_LT(h.voice(0).osc.note, 50.0);
}

TEST_F(NoteHandling, PolyRepeatsRetriggerTheSameVoiceAndTheNinthNoteStealsTheOldest) {
    InstrumentHost h;
    h.noteOn(60, 100);
    h.renderBlocks(2);
    h.noteOn(60, 100);
    h.renderBlocks(1);
    EXPECT_TRUE(h.voice(0).isBusy());
    EXPECT_FALSE(h.voice(1).isBusy()) << "a repeated key takes no second voice";

    for (int i = 1; i < 8; ++i) {
        h.noteOn(60 + i, 100);
        h.renderBlocks(1);
    }
    // Voice 0 has sounded longest; the ninth note takes it over.
    const int oldest = h.voice(0).adsrState.counter;
    for (int v = 1; v < 8; ++v)
        ASSERT_LT(h.voice(v).adsrState.counter, oldest);
    h.noteOn(80, 100);
    h.renderBlocks(1);
    EXPECT_EQ(h.voice(0).noteNumber, 80);
    EXPECT_EQ(h.voice(0).adsrState.counter, 64);
}

TEST_F(NoteHandling, SustainPedalHoldsReleasedNotesUntilItIsLiftedAtItsSample) {
    InstrumentHost lifted, kept;
    for (InstrumentHost* h : {&lifted, &kept}) {
        h->noteOn(60, 100);
        h->noteOn(64, 100);
        h->renderBlocks(10);
        h->control(64, 127);
        h->noteOff(60);
        h->renderBlocks(10);
    }
    EXPECT_TRUE(lifted.voice(0).sustained);
    EXPECT_EQ(lifted.voice(0).adsrState.stage, ADSRState::kSustain);
    EXPECT_TRUE(lifted.plug().GetKeyStatus(60)) << "the keyboard shows keys the pedal holds";
    lifted.control(64, 0, 20);
    lifted.renderBlocks(1);
    kept.renderBlocks(1);
    EXPECT_FALSE(lifted.plug().GetKeyStatus(60)) << "the key table follows the pedal";
    EXPECT_EQ(lifted.plug().GetNumKeys(), 1);
    EXPECT_EQ(firstDifference(lifted.left, kept.left), 20 * 64 + 20) << "released at its sample";
    EXPECT_EQ(lifted.voice(0).adsrState.stage, ADSRState::kRelease);
    EXPECT_FALSE(lifted.voice(0).sustained);
    EXPECT_EQ(lifted.voice(1).adsrState.stage, ADSRState::kSustain) << "a held key stays";
}

TEST_F(NoteHandling, PedalPressedLaterInTheBlockDoesNotHoldAnEarlierRelease) {
    InstrumentHost h;
    h.noteOn(60, 100);
    h.renderBlocks(10);
    h.noteOff(60, 10);
    h.control(64, 127, 30);
    h.renderBlocks(1);
    EXPECT_EQ(h.voice(0).adsrState.stage, ADSRState::kRelease);
    EXPECT_FALSE(h.voice(0).sustained);
}

TEST_F(NoteHandling, EventsBeyondTheBlockAreAppliedInTheNextOne) {
    InstrumentHost late, reference(1);
    late.noteOn(60, 100, 70);
    late.renderBlocks(4);
    for (int s = 0; s < 256; ++s) {
        if (s == 70) reference.noteOn(60, 100);
        reference.renderBlocks(1);
    }
    EXPECT_EQ(late.left, reference.left);
    EXPECT_EQ(late.left[69], 0.0);
    EXPECT_NE(late.left[71], 0.0);
}

TEST_F(NoteHandling, IgnoredAndInvalidMessagesChangeNothing) {
    InstrumentHost h, quiet;
    for (InstrumentHost* x : {&h, &quiet}) {
        x->noteOn(60, 100);
        x->renderBlocks(2);
    }
    h.control(7, 10);       // volume controller: not used
    h.send(0xA0, 60, 90);   // poly aftertouch
    h.send(0xD0, 90, 0);    // channel aftertouch
    h.send(0xC0, 5, 0);     // program change
    h.send(0x90, 200, 100); // note number beyond the key table
    h.send(0x80, 128, 0);
    h.send(0xB0, 164, 127); // controller number beyond 127
    h.send(0xF8, 0, 0);     // clock
    h.renderBlocks(20);
    quiet.renderBlocks(20);
    EXPECT_EQ(h.left, quiet.left);
    EXPECT_EQ(h.plug().GetNumKeys(), 1);
}

TEST_F(NoteHandling, EachInstrumentRestartsItsOwnLfoPhrase) {
    InstrumentHost a, b;
    for (InstrumentHost* h : {&a, &b}) {
        h->setParam(kBPMSync, 0);
        h->setParam(kLFOSpeed, 0.5);
    }
    // A host delivers MIDI to both instruments before it renders either: each must restart
    // its own LFO for its phrase.
    a.noteOn(60, 100);
    b.noteOn(60, 100);
    a.renderBlocks(1);
    b.renderBlocks(1);
    EXPECT_LT(a.synth().globalState.lfoState.phase, -0.9);
    EXPECT_LT(b.synth().globalState.lfoState.phase, -0.9);
}

TEST_F(NoteHandling, NoteOffAllOnPhonicChangeReleasesEverything) {
    InstrumentHost h;
    for (int n : {60, 64, 67})
        h.noteOn(n, 100);
    h.renderBlocks(4);
    h.setParam(kPhonicType, 0);
    for (int v = 0; v < 3; ++v)
        EXPECT_EQ(h.voice(v).adsrState.stage, ADSRState::kRelease);
    EXPECT_EQ(h.plug().GetNumKeys(), 0);
    EXPECT_TRUE(h.synth().heldNotes.empty());
    EXPECT_EQ(h.synth().globalState.numVoices, 1);
}
