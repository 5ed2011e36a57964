#include "demo_piece.h"
#include "midi_file.h"
#include "midi_file_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

namespace {

kv::cli::MidiFile readDemo() {
    kv::cli::MidiFile file;
    std::string error;
    EXPECT_TRUE(kv::cli::readMidiFile(KV_DEMO_MIDI_FILE, file, error)) << error;
    return file;
}

// Follows notes as an instrument that ignores channels would: a released note keeps sounding while
// the sustain pedal is down.
class SoundingNotes {
public:
    void apply(const kv::cli::MidiFileEvent& e) {
        const int kind = e.status & 0xF0;
        if (kind == 0x90 && e.data2 > 0) {
            ASSERT_EQ(mHeld.count(e.data1), 0u) << "note " << int{e.data1} << " restarted";
            mHeld.insert(e.data1);
            mSustained.erase(e.data1);
        } else if (kind == 0x80 || kind == 0x90) {
            ASSERT_EQ(mHeld.erase(e.data1), 1u) << "note " << int{e.data1} << " not playing";
            if (mPedal) mSustained.insert(e.data1);
        } else if (kind == 0xB0 && e.data1 == 64) {
            mPedal = e.data2 >= 64;
            if (!mPedal) mSustained.clear();
        }
        mMost = std::max(mMost, mHeld.size() + mSustained.size());
    }
    size_t most() const { return mMost; }
    size_t sounding() const { return mHeld.size() + mSustained.size(); }
    bool pedal() const { return mPedal; }

private:
    std::set<int> mHeld;
    std::set<int> mSustained;
    bool mPedal = false;
    size_t mMost = 0;
};

} // namespace

TEST(DemoPiece, LastsBetween20And40SecondsWithItsTempoChanges) {
    const kv::cli::MidiFile file = readDemo();
    EXPECT_EQ(file.format, 1);
    EXPECT_GE(file.durationSeconds, 20.0);
    EXPECT_LE(file.durationSeconds, 40.0);
    // Eight bars at 104, four at 96 and two at 84 beats per minute.
    const double expected = 32 * 60.0 / 104 + 16 * 60.0 / 96 + 8 * 60.0 / 84;
    EXPECT_NEAR(file.durationSeconds, expected, 1e-3);
}

TEST(DemoPiece, NeverSoundsMoreThanEightNotesAndEndsInSilence) {
    const kv::cli::MidiFile file = readDemo();
    SoundingNotes notes;
    for (const auto& e : file.events)
        ASSERT_NO_FATAL_FAILURE(notes.apply(e));
    EXPECT_LE(notes.most(), 8u);
    EXPECT_GE(notes.most(), 6u); // chords and melody together
    EXPECT_EQ(notes.sounding(), 0u);
    EXPECT_FALSE(notes.pedal());
}

TEST(DemoPiece, UsesChannelOneWithBendModWheelAndPedal) {
    const kv::cli::MidiFile file = readDemo();
    int noteOns = 0, bends = 0, modWheel = 0, pedalDown = 0, pedalUp = 0;
    for (const auto& e : file.events) {
        EXPECT_EQ(e.status & 0x0F, 0);
        const int kind = e.status & 0xF0;
        noteOns += kind == 0x90 && e.data2 > 0;
        bends += kind == 0xE0 && (e.data1 | e.data2 << 7) != 8192;
        modWheel += kind == 0xB0 && e.data1 == 1 && e.data2 > 0;
        pedalDown += kind == 0xB0 && e.data1 == 64 && e.data2 >= 64;
        pedalUp += kind == 0xB0 && e.data1 == 64 && e.data2 < 64;
    }
    EXPECT_GT(noteOns, 100);
    EXPECT_GT(bends, 5);
    EXPECT_GT(modWheel, 10);
    EXPECT_EQ(pedalDown, 1);
    EXPECT_EQ(pedalUp, 1);
}

TEST(DemoPiece, CommittedFileIsWhatTheComposerWrites) {
    std::vector<uint8_t> composed;
    std::string error;
    ASSERT_TRUE(kv::cli::encodeMidiFile(kv::demo::demoPieceLayout(), kv::demo::composeDemoPiece(),
                                        composed, error))
        << error;
    std::ifstream in(KV_DEMO_MIDI_FILE, std::ios::binary);
    const std::vector<uint8_t> committed{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};
    EXPECT_EQ(composed, committed) << "run compose_demo examples/demo.mid";
}
