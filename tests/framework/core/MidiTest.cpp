#include "core/IMidiQueue.h"
#include "core/IPluginStructs.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

TEST(MidiMsg, NoteBuilders) {
    IMidiMsg msg(99, 0xFF, 1, 2);
    msg.MakeNoteOnMsg(60, 100, 12, 3);
    EXPECT_EQ(msg.mStatus, 0x93);
    EXPECT_EQ(msg.mData1, 60);
    EXPECT_EQ(msg.mData2, 100);
    EXPECT_EQ(msg.mOffset, 12);
    EXPECT_EQ(msg.StatusMsg(), IMidiMsg::kNoteOn);
    EXPECT_EQ(msg.Channel(), 3);
    EXPECT_EQ(msg.NoteNumber(), 60);
    EXPECT_EQ(msg.Velocity(), 100);

    msg.MakeNoteOffMsg(61, 5);
    EXPECT_EQ(msg.mStatus, 0x80);
    EXPECT_EQ(msg.mData2, 0);
    EXPECT_EQ(msg.NoteNumber(), 61);
    EXPECT_EQ(msg.Velocity(), 0);
}

TEST(MidiMsg, PitchWheelBuilderAndAccessor) {
    IMidiMsg msg;
    msg.MakePitchWheelMsg(0.0, 1);
    EXPECT_EQ(msg.mStatus, 0xE1);
    EXPECT_EQ(msg.mData1, 0);
    EXPECT_EQ(msg.mData2, 64);
    EXPECT_EQ(msg.mOffset, 0);
    EXPECT_EQ(msg.PitchWheel(), 0.0);
    msg.MakePitchWheelMsg(1.0);
    EXPECT_EQ(msg.mData1, 0x7F);
    EXPECT_EQ(msg.mData2, 0x7F);
    EXPECT_DOUBLE_EQ(msg.PitchWheel(), 8191.0 / 8192.0);
    msg.MakePitchWheelMsg(-1.0);
    EXPECT_EQ(msg.mData1, 0);
    EXPECT_EQ(msg.mData2, 0);
    EXPECT_EQ(msg.PitchWheel(), -1.0);
    msg.MakePitchWheelMsg(1e300); // huge and NaN inputs stay defined
    EXPECT_EQ(msg.mData2, 0x7F);
    msg.MakePitchWheelMsg(std::nan(""));
    EXPECT_EQ(msg.mData2, 64);
    msg.MakeNoteOnMsg(1, 1, 0);
    EXPECT_EQ(msg.PitchWheel(), 0.0);
}

TEST(MidiMsg, ControlChangeBuilderAndAccessor) {
    IMidiMsg msg;
    msg.MakeControlChangeMsg(IMidiMsg::kModWheel, 1.0, 2);
    EXPECT_EQ(msg.mStatus, 0xB2);
    EXPECT_EQ(msg.mData1, 1);
    EXPECT_EQ(msg.mData2, 127);
    EXPECT_EQ(msg.ControlChange(IMidiMsg::kModWheel), 1.0);
    EXPECT_EQ(msg.ControlChange(IMidiMsg::kSustainPedal), -1.0);
    EXPECT_EQ(msg.ControlChangeIdx(), IMidiMsg::kModWheel);
    msg.MakeControlChangeMsg(IMidiMsg::kModWheel, 0.999);
    EXPECT_EQ(msg.mData2, 126); // truncation
    msg.MakeControlChangeMsg(IMidiMsg::kSustainPedal, 0.5);
    EXPECT_DOUBLE_EQ(msg.ControlChange(IMidiMsg::kSustainPedal), 63.0 / 127.0);
}

TEST(MidiMsg, AccessorsAnswerOnlyForTheirKind) {
    const IMidiMsg poly(0, 0xA0, 64, 33);
    EXPECT_EQ(poly.StatusMsg(), IMidiMsg::kPolyAfterTouch);
    EXPECT_EQ(poly.NoteNumber(), 64);
    EXPECT_EQ(poly.Velocity(), -1);
    EXPECT_EQ(poly.PolyAfterTouch(), 33);
    EXPECT_EQ(poly.ChannelAfterTouch(), -1);

    const IMidiMsg pressure(0, 0xD5, 90, 0);
    EXPECT_EQ(pressure.ChannelAfterTouch(), 90);
    EXPECT_EQ(pressure.NoteNumber(), -1);
    EXPECT_EQ(pressure.Channel(), 5);

    const IMidiMsg program(0, 0xC0, 7, 0);
    EXPECT_EQ(program.Program(), 7);
    EXPECT_EQ(program.PolyAfterTouch(), -1);
    EXPECT_EQ(program.ControlChangeIdx(), 7); // whatever the status

    EXPECT_EQ(IMidiMsg(0, 0xF8, 0, 0).StatusMsg(), IMidiMsg::kNone);
    EXPECT_EQ(IMidiMsg(0, 0x7F, 0, 0).StatusMsg(), IMidiMsg::kNone);
    EXPECT_EQ(IMidiMsg(0, 0xF8, 0, 0).Program(), -1);
}

TEST(MidiMsg, ClearZeroesEverything) {
    IMidiMsg msg(5, 0x90, 60, 100);
    msg.Clear();
    EXPECT_EQ(msg.mOffset, 0);
    EXPECT_EQ(msg.mStatus, 0);
    EXPECT_EQ(msg.mData1, 0);
    EXPECT_EQ(msg.mData2, 0);

    const unsigned char bytes[] = {0xF0, 0xF7};
    ISysEx sysex(3, bytes, 2);
    EXPECT_EQ(sysex.mData, bytes);
    sysex.Clear();
    EXPECT_EQ(sysex.mData, nullptr);
    EXPECT_EQ(sysex.mSize, 0);
    EXPECT_EQ(sysex.mOffset, 0);
}

TEST(MidiMsg, SysExHexDump) {
    const unsigned char bytes[] = {0x01, 0xAB, 0xF7, 0x10, 0x20};
    char text[16];
    EXPECT_STREQ(SysExStr(text, sizeof(text), bytes, 3), "01 AB F7");
    char eight[8];
    std::fill(eight, eight + 8, 'x');
    EXPECT_STREQ(SysExStr(eight, 8, bytes, 5), "01 AB");
    char nine[9];
    EXPECT_STREQ(SysExStr(nine, 9, bytes, 5), "01 AB F7"); // exactly fills the buffer
    EXPECT_STREQ(SysExStr(text, sizeof(text), nullptr, 3), "");
    EXPECT_STREQ(SysExStr(text, sizeof(text), bytes, 0), "");
    EXPECT_STREQ(SysExStr(text, sizeof(text), bytes, -4), "");
}

namespace {

IMidiMsg NoteAt(int offset, int note) {
    IMidiMsg msg;
    msg.MakeNoteOnMsg(note, 100, offset);
    return msg;
}

// Drains the queue, returning (offset, note) pairs.
std::vector<std::pair<int, int>> Drain(IMidiQueue& queue, int upToOffset) {
    std::vector<std::pair<int, int>> out;
    while (!queue.Empty() && queue.Peek()->mOffset <= upToOffset) {
        out.emplace_back(queue.Peek()->mOffset, queue.Peek()->mData1);
        queue.Remove();
    }
    return out;
}

} // namespace

TEST(MidiQueue, OrdersByOffsetKeepingArrivalOrderForTies) {
    IMidiQueue queue(1024);
    const int offsets[] = {5, 2, 9, 2};
    for (int i = 0; i < 4; ++i) {
        const IMidiMsg msg = NoteAt(offsets[i], 60 + i);
        queue.Add(&msg);
    }
    EXPECT_EQ(queue.ToDo(), 4);
    const auto order = Drain(queue, 100);
    const std::vector<std::pair<int, int>> expected = {{2, 61}, {2, 63}, {5, 60}, {9, 62}};
    EXPECT_EQ(order, expected);
    EXPECT_TRUE(queue.Empty());
}

TEST(MidiQueue, MessagesBeyondTheBlockCarryOver) {
    IMidiQueue queue(1024);
    const IMidiMsg early = NoteAt(10, 1);
    const IMidiMsg late = NoteAt(70, 2);
    queue.Add(&late);
    queue.Add(&early);
    EXPECT_EQ(Drain(queue, 63).size(), 1u); // block of 64
    queue.Flush(64);
    ASSERT_FALSE(queue.Empty());
    EXPECT_EQ(queue.Peek()->mOffset, 6);
    EXPECT_EQ(queue.Peek()->mData1, 2);
    queue.Remove();
    queue.Remove(); // removing from an empty queue is harmless
    EXPECT_TRUE(queue.Empty());
}

TEST(MidiQueue, FullQueueWithConsumedFrontCompactsInsteadOfGrowing) {
    IMidiQueue queue(512);
    for (int i = 0; i < 512; ++i) {
        const IMidiMsg msg = NoteAt(i, i % 128);
        queue.Add(&msg);
    }
    EXPECT_EQ(queue.GetSize(), 512);
    queue.Remove();
    const IMidiMsg one = NoteAt(600, 1);
    queue.Add(&one);
    EXPECT_EQ(queue.GetSize(), 512);
    EXPECT_EQ(queue.ToDo(), 512);
    EXPECT_EQ(queue.Dropped(), 0);
}

TEST(MidiQueue, ResizeGranulesAndCapacity) {
    IMidiQueue queue(1000);
    EXPECT_EQ(queue.GetSize(), 1024);
    EXPECT_EQ(queue.Resize(1025), 1536);
    EXPECT_EQ(queue.Resize(100), 512);
    EXPECT_EQ(queue.Resize(0), 512); // never so small that nothing fits
    EXPECT_EQ(queue.Resize(600), 1024);
    for (int i = 0; i < 600; ++i) {
        const IMidiMsg msg = NoteAt(i, 1);
        queue.Add(&msg);
    }
    EXPECT_EQ(queue.Resize(100), 1024);
    EXPECT_EQ(queue.ToDo(), 600);
    EXPECT_EQ(queue.Peek()->mOffset, 0);
}

TEST(MidiQueue, InsertsAfterConsumedMessagesOnly) {
    IMidiQueue queue(512);
    for (int offset : {1, 3, 5}) {
        const IMidiMsg msg = NoteAt(offset, offset);
        queue.Add(&msg);
    }
    queue.Remove(); // offset 1 consumed
    const IMidiMsg zero = NoteAt(0, 0);
    queue.Add(&zero);
    EXPECT_EQ(queue.Peek()->mOffset, 0);
    const auto order = Drain(queue, 10);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[1].first, 3);
}

namespace {

IMidiMsg NoteOffAt(int offset, int note) {
    IMidiMsg msg;
    msg.MakeNoteOffMsg(note, offset);
    return msg;
}

IMidiMsg WheelAt(int offset) {
    IMidiMsg msg;
    msg.MakeControlChangeMsg(IMidiMsg::kModWheel, 0.5);
    msg.mOffset = offset;
    return msg;
}

} // namespace

// A block flooded with more messages than the queue holds: the queue never grows (it is read
// on the audio thread), drops and counts what does not fit, and keeps every note-off whose
// note-on it kept.
TEST(MidiQueue, FullQueueDropsAndCountsInsteadOfGrowing) {
    IMidiQueue queue(512);
    for (int i = 0; i < 512; ++i) {
        const IMidiMsg msg = WheelAt(i);
        queue.Add(&msg);
    }
    const IMidiMsg on = NoteAt(5, 60);
    queue.Add(&on);
    EXPECT_EQ(queue.GetSize(), 512);
    EXPECT_EQ(queue.ToDo(), 512);
    EXPECT_EQ(queue.Dropped(), 1);

    // A note-off evicts the newest controller when there is no note-on to give way.
    const IMidiMsg off = NoteOffAt(0, 61);
    queue.Add(&off);
    EXPECT_EQ(queue.ToDo(), 512);
    EXPECT_EQ(queue.Dropped(), 2);
    queue.Remove(); // the controller at offset 0 came first
    EXPECT_EQ(queue.Peek()->StatusMsg(), IMidiMsg::kNoteOff);
}

TEST(MidiQueue, NoteOffTakesThePlaceOfTheNewestNoteOn) {
    IMidiQueue queue(512);
    for (int i = 0; i < 512; ++i) {
        const IMidiMsg msg = NoteAt(i, i % 100); // note-ons at offsets 0..511
        queue.Add(&msg);
    }
    const IMidiMsg off = NoteOffAt(3, 3); // releases the note-on queued at offset 3
    queue.Add(&off);
    ASSERT_EQ(queue.ToDo(), 512);
    EXPECT_EQ(queue.Dropped(), 1);
    std::vector<std::pair<int, int>> noteOns, noteOffs;
    while (!queue.Empty()) {
        const IMidiMsg* msg = queue.Peek();
        auto& list = msg->StatusMsg() == IMidiMsg::kNoteOff ? noteOffs : noteOns;
        list.emplace_back(msg->mOffset, msg->mData1);
        queue.Remove();
    }
    EXPECT_EQ(noteOffs, (std::vector<std::pair<int, int>>{{3, 3}}));
    ASSERT_EQ(noteOns.size(), 511u);
    EXPECT_EQ(noteOns.back().first, 510); // the newest note-on (offset 511) gave way
    EXPECT_EQ(noteOns[3].first, 3);       // the released note is still played

    // A queue of nothing but note-offs has no room to make: the newcomer is dropped.
    IMidiQueue offs(512);
    for (int i = 0; i < 513; ++i) {
        const IMidiMsg msg = NoteOffAt(i, i % 128);
        offs.Add(&msg);
    }
    EXPECT_EQ(offs.ToDo(), 512);
    EXPECT_EQ(offs.Dropped(), 1);
}
