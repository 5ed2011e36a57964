#pragma once

// Records shared by the plug-in base, its bindings and the instrument.

// Short MIDI channel message with its sample offset in the current block.
struct IMidiMsg {
    // High nibble of the status byte.
    enum EStatusMsg {
        kNone = 0,
        kNoteOff = 8,
        kNoteOn = 9,
        kPolyAfterTouch = 10,
        kControlChange = 11,
        kProgramChange = 12,
        kChannelAfterTouch = 13,
        kPitchWheel = 14,
    };

    // The MIDI controller number itself.
    enum EControlChangeMsg {
        kModWheel = 1,
        kSustainPedal = 64,
        kAllSoundOff = 120,
        kResetAllControllers = 121,
        kAllNotesOff = 123,
    };

    int mOffset = 0;
    unsigned char mStatus = 0;
    unsigned char mData1 = 0;
    unsigned char mData2 = 0;

    IMidiMsg() = default;
    IMidiMsg(int offset, unsigned char status, unsigned char data1, unsigned char data2)
        : mOffset(offset), mStatus(status), mData1(data1), mData2(data2) {}

    void Clear();

    // Builders: every field not named is 0. The channel (0-15) is OR-ed into the status.
    void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
    void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0);
    // value -1..+1, centre 8192 in the 14-bit range.
    void MakePitchWheelMsg(double value, int channel = 0);
    // value 0..1, stored as value * 127 truncated.
    void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);

    int Channel() const;
    // kNone for system messages (status 0xF0 and above) and for bytes below 0x80.
    EStatusMsg StatusMsg() const;
    // Accessors give -1 (or 0.0 / -1.0 as stated) when the message is not of their kind.
    int NoteNumber() const;
    int Velocity() const;
    int PolyAfterTouch() const;
    int ChannelAfterTouch() const;
    int Program() const;
    double PitchWheel() const;                  // -1.0 .. +0.99988; 0.0 when not a pitch wheel
    EControlChangeMsg ControlChangeIdx() const; // mData1 whatever the status
    double ControlChange(EControlChangeMsg idx) const; // 0..1, or -1.0
    void LogMsg() const {}
};

// System-exclusive message; the bytes are not owned.
struct ISysEx {
    int mOffset = 0;
    int mSize = 0;
    const unsigned char* mData = nullptr;

    ISysEx() = default;
    ISysEx(int offset, const unsigned char* data, int size)
        : mOffset(offset), mSize(size), mData(data) {}

    void Clear();
    void LogMsg() const {}
};

// Text of a status kind: "noteon", "controlchange", ..., "unknown" for other values.
const char* StatusMsgStr(IMidiMsg::EStatusMsg msg);

// Hex dump ("01 AB F7") of at most maxlen / 3 bytes into str (maxlen bytes); empty for no
// data or a size <= 0. Requires str and maxlen >= 3. Returns str.
char* SysExStr(char* str, int maxlen, const unsigned char* data, int size);

// Host transport snapshot. Doubles stay -1 where the host reports nothing.
struct ITimeInfo {
    double mTempo = 120.0;
    double mSamplePos = -1.0;
    double mPPQPos = -1.0;
    double mLastBar = -1.0;
    double mCycleStart = -1.0;
    double mCycleEnd = -1.0;
    int mNumerator = 4;
    int mDenominator = 4;
    bool mTransportIsRunning = false;
    bool mTransportLoopEnabled = false;
};
