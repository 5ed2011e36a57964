#pragma once

#include <jack/jack.h>

#include <atomic>
#include <string>
#include <vector>

class IPluginOffline;

// The instrument as a JACK client: one MIDI input, two audio outputs, rate and block size
// from the server, tempo from the server's transport.
//
// The process callback holds the instance mutex for the block (every other thread takes it
// only to apply a change it has prepared), delivers the block's MIDI at its frame offsets and
// renders into buffers sized when the block size changes; it never allocates or touches
// files.
class JackInstrument {
public:
    explicit JackInstrument(IPluginOffline& plug);
    ~JackInstrument();
    JackInstrument(const JackInstrument&) = delete;
    JackInstrument& operator=(const JackInstrument&) = delete;

    // Connects to a running server (never starts one); false with a message that says what
    // is wrong.
    bool Open(const std::string& clientName, std::string& error);
    bool Start(std::string& error);
    // Outputs to the first two physical playback ports; every MIDI source to the input.
    void ConnectEverything();
    void Close();

    // The server went away (then the program should end).
    bool ServerGone() const { return mServerGone.load(); }
    const char* ClientName() const;

private:
    static int Process(jack_nframes_t nFrames, void* self);
    static int BufferSizeChanged(jack_nframes_t nFrames, void* self);
    static void ServerShutdown(void* self);
    void Prepare(jack_nframes_t blockSize);
    void UpdateTransport();

    IPluginOffline& mPlug;
    jack_client_t* mClient = nullptr;
    jack_port_t* mMidiIn = nullptr;
    jack_port_t* mOut[2] = {nullptr, nullptr};
    std::vector<double> mBuffers[2];
    jack_nframes_t mBlockSize = 0;
    std::atomic<bool> mServerGone{false};
};
