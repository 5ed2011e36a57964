// Note handling as a musician hears it: which pitches sound, when they start and stop, and what
// the on-screen keyboard's key table says.

#include "InstrumentHost.h"
#include "Listening.h"

#include <gtest/gtest.h>

using namespace listening;
using enginekit::peak;
using enginekit::rms;

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 64;
// A Hann window this long separates partials a semitone apart around middle C.
constexpr size_t kSpectrumWindow = 9600;
constexpr int kSpectrumBlocks = int(kSpectrumWindow) / kBlock;

struct Phonic {
    int type;
    const char* name;
};

class NoteHandling : public ::testing::Test {
protected:
    IsolatedUserData userData;
};

// Saw cores only, so one note has one clear fundamental.
void sawOnly(InstrumentHost& h) {
    h.setParam(kPulse, 0.0);
    h.setParam(kSub, 0.0);
}

// A slow attack (about 1.9 s) makes every envelope restart plainly audible.
void slowAttack(InstrumentHost& h) {
    h.setParam(kAttack, 0.5);
}

double pitchAround(const std::vector<double>& x, size_t from, size_t to) {
    return pitch(x, from, to, kRate, 200.0, 400.0);
}

// Amplitude of a note's fundamental in the spectrum window that ends at sample `end`.
double noteLevel(const std::vector<double>& x, int note, size_t end) {
    return amplitudeAt(x, end - kSpectrumWindow, end, kRate, noteHz(note));
}

bool silentFrom(const std::vector<double>& x, size_t from) {
    return peak(x, from) < 1e-4;
}

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
        released.renderBlocks(10);
        held.renderBlocks(10);
        EXPECT_EQ(firstDifference(released.left, held.left), 20 * kBlock + 40) << mode.name;
        EXPECT_TRUE(silentFrom(released.left, 28 * kBlock)) << mode.name << ": the note ended";
        EXPECT_GT(peak(held.left, 28 * kBlock), 0.05) << mode.name;
        EXPECT_EQ(released.plug().GetNumKeys(), 0) << mode.name;
    }
}

TEST_F(NoteHandling, MonoSoundsOnlyTheLastNoteAndReturnsToTheHeldOneWithTheLastVelocity) {
    InstrumentHost h;
    h.setParam(kPhonicType, 0);
    h.setParam(kVelocityTarget, 2); // velocity sets the level
    sawOnly(h);
    h.noteOn(60, 30);
    h.renderBlocks(kSpectrumBlocks);
    const size_t eStart = h.left.size();
    const double softC = rms(h.left, 1000, eStart);
    h.noteOn(64, 120);
    h.renderBlocks(kSpectrumBlocks + 10);
    const size_t eEnd = h.left.size();
    EXPECT_NEAR(pitchAround(h.left, eStart + 640, eEnd), noteHz(64), 1.5);
    EXPECT_LT(noteLevel(h.left, 60, eEnd), 0.05 * noteLevel(h.left, 64, eEnd))
        << "C no longer sounds: mono plays one voice";

    h.noteOff(64, 10);
    h.renderBlocks(kSpectrumBlocks + 10);
    const size_t back = eEnd + 10;
    EXPECT_NEAR(pitchAround(h.left, back + 640, h.left.size()), noteHz(60), 1.5)
        << "C is played again";
    EXPECT_GT(rms(h.left, back + 640), 3.0 * softC) << "with E's velocity, not C's";
    EXPECT_TRUE(h.plug().GetKeyStatus(60));
    EXPECT_FALSE(h.plug().GetKeyStatus(64));

    const size_t end = h.left.size();
    h.noteOff(60);
    h.renderBlocks(10);
    EXPECT_TRUE(silentFrom(h.left, end + 8 * kBlock));
    EXPECT_EQ(h.plug().GetNumKeys(), 0);
}

TEST_F(NoteHandling, MonoRetriggerStartsAtTheSampleOfTheRelease) {
    InstrumentHost released, held;
    for (InstrumentHost* h : {&released, &held}) {
        h->setParam(kPhonicType, 0);
        sawOnly(*h);
        h->noteOn(60, 100);
        h->noteOn(64, 100);
        h->renderBlocks(20);
    }
    released.noteOff(64, 30);
    released.renderBlocks(kSpectrumBlocks);
    held.renderBlocks(1);
    EXPECT_EQ(firstDifference(released.left, held.left), 20 * kBlock + 30);
    EXPECT_NEAR(pitchAround(released.left, 22 * kBlock, released.left.size()), noteHz(60), 1.5);
}

TEST_F(NoteHandling, TheFirstNoteOfASessionStaysHeldThroughTheInitialParameterReset) {
    InstrumentHost h;
    h.setParam(kPhonicType, 0);
    sawOnly(h);
    h.noteOn(60, 100); // the first note ever: every parameter is applied as it starts
    h.renderBlocks(2);
    EXPECT_TRUE(h.plug().GetKeyStatus(60));
    h.noteOn(64, 100);
    h.renderBlocks(kSpectrumBlocks);
    const double levelOfE = rms(h.left, 1000);
    const size_t back = h.left.size();
    h.noteOff(64);
    h.renderBlocks(kSpectrumBlocks);
    EXPECT_NEAR(pitchAround(h.left, back + 640, h.left.size()), noteHz(60), 1.5)
        << "releasing E returns to the first note";
    EXPECT_GT(rms(h.left, back + 640), 0.7 * levelOfE) << "which keeps sounding";
}

TEST_F(NoteHandling, LegatoMovesThePitchWithoutRestartingTheEnvelope) {
    InstrumentHost h;
    h.setParam(kPhonicType, 2);
    sawOnly(h);
    slowAttack(h);
    h.noteOn(60, 100);
    h.renderBlocks(kSpectrumBlocks);
    const size_t moved = h.left.size();
    h.noteOn(64, 100);
    h.renderBlocks(kSpectrumBlocks);
    EXPECT_GE(rms(h.left, moved, moved + 960), rms(h.left, moved - 960, moved))
        << "the attack goes on rising";
    EXPECT_NEAR(pitchAround(h.left, moved, moved + 2400), noteHz(64), 1.5)
        << "no portamento: the pitch jumps";
    EXPECT_FALSE(h.plug().GetKeyStatus(64)) << "a legato note does not mark its key";

    const size_t back = h.left.size();
    h.noteOff(64);
    h.renderBlocks(kSpectrumBlocks);
    EXPECT_NEAR(pitchAround(h.left, back, back + 2400), noteHz(60), 1.5);
    EXPECT_GE(rms(h.left, back, back + 960), rms(h.left, back - 960, back));

    const size_t end = h.left.size();
    h.noteOff(60);
    h.renderBlocks(10);
    EXPECT_TRUE(silentFrom(h.left, end + 8 * kBlock)) << "the last release ends the phrase";
}

TEST_F(NoteHandling, LegatoGlidesWithPortamentoButNotOnThePhrasesFirstNote) {
    InstrumentHost glide, jump;
    for (InstrumentHost* h : {&glide, &jump}) {
        h->setParam(kPhonicType, 2);
        sawOnly(*h);
        h->setParam(kPortaSpeed, h == &glide ? 0.3 : 0.0);
        h->noteOn(48, 100);
        h->renderBlocks(40);
        h->noteOn(60, 100);
        h->renderBlocks(kSpectrumBlocks);
    }
    EXPECT_EQ(firstDifference(glide.left, jump.left), 40 * kBlock)
        << "the first note does not glide; the second does";
    const double early = pitch(glide.left, 40 * kBlock, 40 * kBlock + 1440, kRate, 100.0, 300.0);
    EXPECT_GT(early, noteHz(48) + 5.0);
    EXPECT_LT(early, noteHz(60) - 10.0);
    const size_t end = glide.left.size();
    EXPECT_NEAR(pitchAround(glide.left, end - 2400, end), noteHz(60), 1.5);
}

TEST_F(NoteHandling, PolyRepeatedKeyRestartsItsOwnVoice) {
    InstrumentHost h;
    slowAttack(h);
    h.noteOn(60, 100);
    h.renderBlocks(150);
    const size_t again = h.left.size();
    h.noteOn(60, 100);
    h.renderBlocks(15);
    // A second voice would leave the first one rising; the same voice fades and starts over.
    EXPECT_LT(rms(h.left, again + 480, again + 960), 0.2 * rms(h.left, again - 480, again));
    EXPECT_EQ(h.plug().GetNumKeys(), 1);
}

TEST_F(NoteHandling, TheNinthPolyNoteTakesOverTheOldestNote) {
    InstrumentHost h;
    sawOnly(h);
    for (int note = 60; note < 68; ++note) {
        h.noteOn(note, 100);
        h.renderBlocks(1);
    }
    h.renderBlocks(kSpectrumBlocks);
    const size_t stolenAt = h.left.size();
    h.noteOn(70, 100);
    h.renderBlocks(kSpectrumBlocks + 10);
    const size_t after = h.left.size();
    EXPECT_LT(noteLevel(h.left, 60, after), 0.1 * noteLevel(h.left, 60, stolenAt))
        << "the oldest note is gone";
    EXPECT_GT(noteLevel(h.left, 70, after), 0.5 * noteLevel(h.left, 61, stolenAt))
        << "the new note sounds";
    for (int note = 61; note < 68; ++note)
        EXPECT_GT(noteLevel(h.left, note, after), 0.7 * noteLevel(h.left, note, stolenAt))
            << note << " still sounds";
}

TEST_F(NoteHandling, SustainPedalHoldsReleasedNotesUntilItIsLiftedAtItsSample) {
    InstrumentHost lifted, kept;
    for (InstrumentHost* h : {&lifted, &kept}) {
        sawOnly(*h);
        h->noteOn(60, 100);
        h->noteOn(64, 100);
        h->renderBlocks(kSpectrumBlocks);
        h->control(64, 127);
        h->noteOff(60);
        h->renderBlocks(kSpectrumBlocks);
    }
    const size_t pressed = kSpectrumWindow, lift = 2 * kSpectrumWindow;
    EXPECT_GT(noteLevel(lifted.left, 60, lift), 0.8 * noteLevel(lifted.left, 60, pressed))
        << "the released C keeps sounding under the pedal";
    EXPECT_TRUE(lifted.plug().GetKeyStatus(60)) << "the keyboard shows keys the pedal holds";

    lifted.control(64, 0, 20);
    lifted.renderBlocks(kSpectrumBlocks + 10);
    kept.renderBlocks(1);
    EXPECT_EQ(firstDifference(lifted.left, kept.left), int(lift) + 20) << "released at its sample";
    EXPECT_FALSE(lifted.plug().GetKeyStatus(60)) << "the key table follows the pedal";
    EXPECT_EQ(lifted.plug().GetNumKeys(), 1);
    const size_t end = lifted.left.size();
    EXPECT_LT(noteLevel(lifted.left, 60, end), 0.05 * noteLevel(lifted.left, 60, lift));
    EXPECT_GT(noteLevel(lifted.left, 64, end), 0.8 * noteLevel(lifted.left, 64, lift))
        << "a held key stays";
}

TEST_F(NoteHandling, PedalPressedLaterInTheBlockDoesNotHoldAnEarlierRelease) {
    InstrumentHost h, held;
    for (InstrumentHost* x : {&h, &held}) {
        x->noteOn(60, 100);
        x->renderBlocks(10);
    }
    h.noteOff(60, 10);
    h.control(64, 127, 30);
    h.renderBlocks(10);
    held.renderBlocks(1);
    EXPECT_EQ(firstDifference(h.left, held.left), 10 * kBlock + 10);
    EXPECT_TRUE(silentFrom(h.left, 19 * kBlock));
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
    // The LFO bends the pitch, so where it restarts is audible.
    InstrumentHost fresh, together, alone;
    for (InstrumentHost* h : {&fresh, &together, &alone}) {
        h->setParam(kBPMSync, 0);
        h->setParam(kLFOSpeed, 0.5);
        h->setParam(kLFOTarget, 0);
        h->setParam(kLFOAmount, 1.0);
    }
    // An earlier phrase leaves the LFO somewhere in its cycle.
    for (InstrumentHost* h : {&together, &alone}) {
        h->noteOn(60, 100);
        h->renderBlocks(50);
        h->noteOff(60);
        h->renderBlocks(20);
    }
    // A host delivers MIDI to two instruments before it renders either: each restarts its own
    // LFO for its new phrase, exactly as an instrument playing alone does.
    fresh.noteOn(60, 100);
    together.noteOn(60, 100);
    fresh.renderBlocks(30);
    together.renderBlocks(30);
    alone.noteOn(60, 100);
    alone.renderBlocks(30);
    EXPECT_GT(peak(together.left, 70 * kBlock), 0.05);
    EXPECT_EQ(firstDifference(together.left, alone.left), -1);

    // The other instrument's phrase ends while this one's goes on: a note added to the running
    // phrase leaves its LFO running.
    fresh.setParam(kPhonicType, 1);
    together.noteOn(64, 100);
    together.renderBlocks(30);
    alone.noteOn(64, 100);
    alone.renderBlocks(30);
    EXPECT_EQ(firstDifference(together.left, alone.left), -1);
}

TEST_F(NoteHandling, ChangingThePhonicTypeReleasesEverything) {
    InstrumentHost h;
    sawOnly(h);
    for (int n : {60, 64, 67})
        h.noteOn(n, 100);
    h.renderBlocks(4);
    h.setParam(kPhonicType, 0);
    h.renderBlocks(10);
    EXPECT_TRUE(silentFrom(h.left, 12 * kBlock)) << "every poly voice was released";
    EXPECT_EQ(h.plug().GetNumKeys(), 0);

    // Now one voice: of two notes only the later sounds.
    h.noteOn(60, 100);
    h.noteOn(64, 100);
    h.renderBlocks(kSpectrumBlocks + 10);
    const size_t end = h.left.size();
    EXPECT_LT(noteLevel(h.left, 60, end), 0.05 * noteLevel(h.left, 64, end));

    // Switching to legato forgets the held mono notes: the next note starts a phrase.
    h.setParam(kPhonicType, 2);
    const size_t legato = h.left.size();
    h.noteOn(67, 100);
    h.renderBlocks(kSpectrumBlocks);
    EXPECT_GT(rms(h.left, legato + 640), 0.02);
    EXPECT_NEAR(pitchAround(h.left, legato + 640, h.left.size()), noteHz(67), 2.0);
}
