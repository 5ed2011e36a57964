#pragma once
// Writes WAV files through libsndfile. The file appears at its destination only when `finish`
// succeeds; until then it is written under a temporary name beside it.

#include "pending_file.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct sf_private_tag;

namespace kv::cli {

enum class WavSampleFormat { Float32, Pcm16, Pcm24 };

// "float", "pcm16" and "pcm24".
bool wavSampleFormatFromName(std::string_view name, WavSampleFormat& format);
const char* wavSampleFormatName(WavSampleFormat format);

class WavWriter {
public:
    WavWriter() = default;
    // Without a successful `finish`, removes the temporary file and leaves the destination as it
    // was.
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // 1 or 2 channels, any positive sample rate.
    bool open(const std::string& path, int sampleRate, int channels, WavSampleFormat format,
              std::string& error);
    // Interleaved frames. Samples are nominally -1..1; integer formats clip beyond that.
    bool writeFrames(const float* samples, size_t frames, std::string& error);
    bool writeFrames(const double* samples, size_t frames, std::string& error);
    // Completes the file and moves it into place.
    bool finish(std::string& error);

    bool isOpen() const { return mSound != nullptr; }

private:
    struct SoundCloser {
        void operator()(sf_private_tag* sound) const;
    };
    template <typename Sample, typename WriteFn>
    bool write(const Sample* samples, size_t frames, WriteFn writeFn, std::string& error);
    bool fail(const std::string& what, std::string& error);

    PendingFile mFile; // declared first so the sound handle closes before the file goes
    std::unique_ptr<sf_private_tag, SoundCloser> mSound;
};

} // namespace kv::cli
