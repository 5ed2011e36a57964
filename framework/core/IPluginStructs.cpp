#include "core/IPluginStructs.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>

namespace {

unsigned char Byte(int value) {
    return static_cast<unsigned char>(value);
}

// Limits a builder's input so that its conversion to int is defined; NaN counts as 0.
double Bounded(double value) {
    return std::isnan(value) ? 0.0 : std::clamp(value, -2.0, 2.0);
}

} // namespace

void IMidiMsg::Clear() {
    *this = IMidiMsg();
}

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel) {
    Clear();
    mStatus = Byte(channel | (kNoteOn << 4));
    mData1 = Byte(noteNumber);
    mData2 = Byte(velocity);
    mOffset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel) {
    Clear();
    mStatus = Byte(channel | (kNoteOff << 4));
    mData1 = Byte(noteNumber);
    mOffset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel) {
    Clear();
    mStatus = Byte(channel | (kPitchWheel << 4));
    const double scaled = Bounded(value) * 8192.0;
    const int i = std::clamp(static_cast<int>(scaled) + 8192, 0, 16383);
    mData1 = Byte(i & 0x7F);
    mData2 = Byte(i >> 7);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel) {
    Clear();
    mStatus = Byte(channel | (kControlChange << 4));
    mData1 = Byte(idx);
    mData2 = Byte(static_cast<int>(Bounded(value) * 127.0));
}

int IMidiMsg::Channel() const {
    return mStatus & 0x0F;
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const {
    const int kind = mStatus >> 4;
    if (kind < kNoteOff || kind == 15) return kNone;
    return static_cast<EStatusMsg>(kind);
}

int IMidiMsg::NoteNumber() const {
    const EStatusMsg s = StatusMsg();
    return (s == kNoteOff || s == kNoteOn || s == kPolyAfterTouch) ? mData1 : -1;
}

int IMidiMsg::Velocity() const {
    const EStatusMsg s = StatusMsg();
    return (s == kNoteOff || s == kNoteOn) ? mData2 : -1;
}

int IMidiMsg::PolyAfterTouch() const {
    return StatusMsg() == kPolyAfterTouch ? mData2 : -1;
}

int IMidiMsg::ChannelAfterTouch() const {
    return StatusMsg() == kChannelAfterTouch ? mData1 : -1;
}

int IMidiMsg::Program() const {
    return StatusMsg() == kProgramChange ? mData1 : -1;
}

double IMidiMsg::PitchWheel() const {
    if (StatusMsg() != kPitchWheel) return 0.0;
    return (mData2 * 128 + mData1 - 8192) / 8192.0;
}

IMidiMsg::EControlChangeMsg IMidiMsg::ControlChangeIdx() const {
    return static_cast<EControlChangeMsg>(mData1);
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const {
    if (StatusMsg() == kControlChange && mData1 == idx) return mData2 / 127.0;
    return -1.0;
}

void ISysEx::Clear() {
    *this = ISysEx();
}

const char* StatusMsgStr(IMidiMsg::EStatusMsg msg) {
    switch (msg) {
    case IMidiMsg::kNone:
        return "none";
    case IMidiMsg::kNoteOff:
        return "noteoff";
    case IMidiMsg::kNoteOn:
        return "noteon";
    case IMidiMsg::kPolyAfterTouch:
        return "aftertouch";
    case IMidiMsg::kControlChange:
        return "controlchange";
    case IMidiMsg::kProgramChange:
        return "programchange";
    case IMidiMsg::kChannelAfterTouch:
        return "channelaftertouch";
    case IMidiMsg::kPitchWheel:
        return "pitchwheel";
    default:
        return "unknown";
    }
}

char* SysExStr(char* str, int maxlen, const unsigned char* data, int size) {
    assert(str != NULL && maxlen >= 3);
    if (!str || maxlen < 1) return str;
    str[0] = '\0';
    if (!data || size <= 0 || maxlen < 3) return str;
    static const char kHex[] = "0123456789ABCDEF";
    const int n = std::min(maxlen / 3, size);
    char* p = str;
    for (int i = 0; i < n; ++i) {
        *p++ = kHex[data[i] >> 4];
        *p++ = kHex[data[i] & 0x0F];
        *p++ = ' ';
    }
    p[-1] = '\0'; // the last space becomes the terminator
    return str;
}
