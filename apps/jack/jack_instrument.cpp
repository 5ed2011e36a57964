#include "jack_instrument.h"

#include "IPluginOffline.h"

#include <jack/midiport.h>
#include <jack/transport.h>

JackInstrument::JackInstrument(IPluginOffline& plug) : mPlug(plug) {}

JackInstrument::~JackInstrument() {
    Close();
}

bool JackInstrument::Open(const std::string& clientName, std::string& error) {
    jack_status_t status{};
    mClient = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (!mClient) {
        if (status & JackServerFailed)
            error = "no JACK server is running (start jackd, or PipeWire with its JACK "
                    "support, and try again)";
        else if (status & JackNameNotUnique)
            error = "a JACK client named \"" + clientName + "\" already exists";
        else
            error = "the JACK server refused the connection";
        return false;
    }
    mMidiIn = jack_port_register(mClient, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    mOut[0] = jack_port_register(mClient, "out_left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    mOut[1] =
        jack_port_register(mClient, "out_right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (!mMidiIn || !mOut[0] || !mOut[1]) {
        error = "cannot register the JACK ports";
        return false;
    }
    jack_set_process_callback(mClient, Process, this);
    jack_set_buffer_size_callback(mClient, BufferSizeChanged, this);
    jack_on_shutdown(mClient, ServerShutdown, this);
    return true;
}

const char* JackInstrument::ClientName() const {
    return mClient ? jack_get_client_name(mClient) : "";
}

void JackInstrument::Prepare(jack_nframes_t blockSize) {
    // Called before the client runs and when the server changes its block size, never while a
    // block is being processed.
    for (std::vector<double>& buffer : mBuffers)
        buffer.assign(blockSize, 0.0);
    IPluginOffline::IMutexLock lock(&mPlug);
    mPlug.Initialize(static_cast<double>(jack_get_sample_rate(mClient)),
                     static_cast<int>(blockSize));
    mBlockSize = blockSize;
}

bool JackInstrument::Start(std::string& error) {
    Prepare(jack_get_buffer_size(mClient));
    if (jack_activate(mClient) != 0) {
        error = "cannot start processing on the JACK server";
        return false;
    }
    return true;
}

void JackInstrument::ConnectEverything() {
    if (!mClient) return;
    if (const char** playback = jack_get_ports(mClient, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                               JackPortIsPhysical | JackPortIsInput)) {
        for (int i = 0; i < 2 && playback[i]; ++i)
            jack_connect(mClient, jack_port_name(mOut[i]), playback[i]);
        jack_free(playback);
    }
    if (const char** sources =
            jack_get_ports(mClient, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput)) {
        for (int i = 0; sources[i]; ++i)
            jack_connect(mClient, sources[i], jack_port_name(mMidiIn));
        jack_free(sources);
    }
}

void JackInstrument::Close() {
    if (!mClient) return;
    jack_deactivate(mClient);
    jack_client_close(mClient);
    mClient = nullptr;
}

void JackInstrument::UpdateTransport() {
    jack_position_t position;
    const jack_transport_state_t state = jack_transport_query(mClient, &position);
    ITimeInfo transport = mPlug.GetTransport();
    transport.mTransportIsRunning = state == JackTransportRolling;
    if (position.valid & JackPositionBBT) {
        transport.mTempo = position.beats_per_minute;
        transport.mNumerator = static_cast<int>(position.beats_per_bar);
        transport.mDenominator = static_cast<int>(position.beat_type);
        transport.mPPQPos = ((position.bar - 1) * position.beats_per_bar + (position.beat - 1)) +
                            position.tick / position.ticks_per_beat;
    }
    transport.mSamplePos = static_cast<double>(position.frame);
    mPlug.SetTransport(transport);
}

int JackInstrument::Process(jack_nframes_t nFrames, void* self) {
    auto* jack = static_cast<JackInstrument*>(self);
    IPluginOffline& plug = jack->mPlug;
    float* out[2] = {static_cast<float*>(jack_port_get_buffer(jack->mOut[0], nFrames)),
                     static_cast<float*>(
                         jack->mOut[1] ? jack_port_get_buffer(jack->mOut[1], nFrames) : nullptr)};
    void* midi = jack_port_get_buffer(jack->mMidiIn, nFrames);
    IPluginOffline::IMutexLock lock(&plug);
    jack->UpdateTransport();
    const jack_nframes_t nEvents = jack_midi_get_event_count(midi);
    for (jack_nframes_t i = 0; i < nEvents; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, midi, i) != 0 || event.size < 1 || event.size > 3) continue;
        if (event.buffer[0] < 0x80 || event.buffer[0] >= 0xF0) continue; // channel messages only
        plug.SendMidiToPlug(IMidiMsg(static_cast<int>(event.time), event.buffer[0],
                                     event.size > 1 ? event.buffer[1] : 0,
                                     event.size > 2 ? event.buffer[2] : 0));
    }
    // The server never asks for more than the block size it announced.
    const jack_nframes_t n = nFrames <= jack->mBlockSize ? nFrames : jack->mBlockSize;
    double* buffers[2] = {jack->mBuffers[0].data(), jack->mBuffers[1].data()};
    plug.Render(buffers, static_cast<int>(n));
    for (int c = 0; c < 2; ++c) {
        for (jack_nframes_t f = 0; f < n; ++f)
            out[c][f] = static_cast<float>(buffers[c][f]);
        for (jack_nframes_t f = n; f < nFrames; ++f)
            out[c][f] = 0.0f;
    }
    return 0;
}

int JackInstrument::BufferSizeChanged(jack_nframes_t nFrames, void* self) {
    auto* jack = static_cast<JackInstrument*>(self);
    if (nFrames != jack->mBlockSize) jack->Prepare(nFrames);
    return 0;
}

void JackInstrument::ServerShutdown(void* self) {
    static_cast<JackInstrument*>(self)->mServerGone.store(true);
}
