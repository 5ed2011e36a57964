#pragma once
// Writes audio files (WAV, FLAC, Ogg Vorbis, AIFF) through libsndfile. A regular file appears
// at its destination only when `finish` succeeds; until then it is written under a temporary
// name beside it. An existing destination that is not a regular file (a FIFO, a device, a
// terminal) and "-" (standard output) are written directly and never replaced.

#include "pending_file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sf_private_tag;

namespace kv::cli {

enum class WavSampleFormat { Float32, Pcm16, Pcm24 };

enum class AudioContainer { Wav, Flac, Ogg, Aiff };

// "float", "pcm16" and "pcm24".
bool wavSampleFormatFromName(std::string_view name, WavSampleFormat& format);
const char* wavSampleFormatName(WavSampleFormat format);

// The container a file name asks for by its extension (.wav, .flac, .ogg, .aiff or .aif, in
// any case). False for any other extension.
bool audioContainerFromPath(const std::string& path, AudioContainer& container);
const char* audioContainerName(AudioContainer container);
// Whether the container holds samples of that format (FLAC holds integers only; Ogg Vorbis is
// compressed and holds none of them as such).
bool containerTakesSampleFormat(AudioContainer container, WavSampleFormat format);

// "-" (standard output) or an existing file that is not a regular file or a folder: what the
// writer writes in place rather than replacing.
bool isDirectOutput(const std::string& path);

class WavWriter {
public:
    WavWriter() = default;
    // Without a successful `finish`, removes the temporary file and leaves the destination as it
    // was.
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // 1 or 2 channels, any positive sample rate. The format is ignored for Ogg Vorbis.
    bool open(const std::string& path, int sampleRate, int channels, WavSampleFormat format,
              std::string& error, AudioContainer container = AudioContainer::Wav);
    // Interleaved frames. Samples are nominally -1..1; integer formats clip beyond that.
    bool writeFrames(const float* samples, size_t frames, std::string& error);
    bool writeFrames(const double* samples, size_t frames, std::string& error);
    // Completes the file and moves it into place.
    bool finish(std::string& error);

    bool isOpen() const { return mSound != nullptr; }

    // Bytes kept in memory for an output that cannot seek (a pipe): libsndfile rewrites the
    // header at the end, so the file goes out whole when it is finished.
    struct MemoryFile {
        std::vector<uint8_t> bytes;
        int64_t position = 0;
    };

private:
    struct SoundCloser {
        void operator()(sf_private_tag* sound) const;
    };
    template <typename Sample, typename WriteFn>
    bool write(const Sample* samples, size_t frames, WriteFn writeFn, std::string& error);
    bool fail(const std::string& what, std::string& error);
    bool openDirect(const std::string& path, std::string& error);
    bool flushMemoryFile(std::string& error);

    PendingFile mFile;      // declared first so the sound handle closes before the file goes
    UniqueFd mDirectFd;     // a non-regular destination, written in place
    int mDirectTarget = -1; // the descriptor written in place (standard output or mDirectFd)
    std::string mDestination;
    std::unique_ptr<MemoryFile> mMemory;
    std::unique_ptr<sf_private_tag, SoundCloser> mSound;
};

} // namespace kv::cli
