#include "wav_writer.h"

#include <sndfile.h>

namespace kv::cli {

namespace {

int subtypeOf(WavSampleFormat format) {
    switch (format) {
    case WavSampleFormat::Pcm16:
        return SF_FORMAT_PCM_16;
    case WavSampleFormat::Pcm24:
        return SF_FORMAT_PCM_24;
    case WavSampleFormat::Float32:
        break;
    }
    return SF_FORMAT_FLOAT;
}

} // namespace

bool wavSampleFormatFromName(std::string_view name, WavSampleFormat& format) {
    for (auto candidate :
         {WavSampleFormat::Float32, WavSampleFormat::Pcm16, WavSampleFormat::Pcm24}) {
        if (name == wavSampleFormatName(candidate)) {
            format = candidate;
            return true;
        }
    }
    return false;
}

const char* wavSampleFormatName(WavSampleFormat format) {
    switch (format) {
    case WavSampleFormat::Pcm16:
        return "pcm16";
    case WavSampleFormat::Pcm24:
        return "pcm24";
    case WavSampleFormat::Float32:
        break;
    }
    return "float";
}

void WavWriter::SoundCloser::operator()(sf_private_tag* sound) const {
    sf_close(sound);
}

WavWriter::~WavWriter() = default;

bool WavWriter::open(const std::string& path, int sampleRate, int channels, WavSampleFormat format,
                     std::string& error) {
    mSound.reset();
    mFile.discard();
    if (channels != 1 && channels != 2) {
        error = "cannot write " + path + ": " + std::to_string(channels) +
                " channels (1 or 2 are supported)";
        return false;
    }
    if (sampleRate <= 0) {
        error = "cannot write " + path + ": sample rate " + std::to_string(sampleRate);
        return false;
    }
    if (!mFile.create(path, error)) return false;
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | subtypeOf(format);
    mSound.reset(sf_open_fd(mFile.fd(), SFM_WRITE, &info, SF_FALSE));
    if (!mSound) return fail("cannot write", error);
    if (format != WavSampleFormat::Float32) {
        sf_command(mSound.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    }
    return true;
}

template <typename Sample, typename WriteFn>
bool WavWriter::write(const Sample* samples, size_t frames, WriteFn writeFn, std::string& error) {
    if (!mSound) {
        error = "cannot write " + mFile.destination() + ": file is not open";
        return false;
    }
    const auto count = static_cast<sf_count_t>(frames);
    if (writeFn(mSound.get(), samples, count) != count) return fail("cannot write", error);
    return true;
}

bool WavWriter::writeFrames(const float* samples, size_t frames, std::string& error) {
    return write(samples, frames, sf_writef_float, error);
}

bool WavWriter::writeFrames(const double* samples, size_t frames, std::string& error) {
    return write(samples, frames, sf_writef_double, error);
}

bool WavWriter::finish(std::string& error) {
    if (!mSound) {
        error = "cannot finish " + mFile.destination() + ": file is not open";
        return false;
    }
    const int closeResult = sf_close(mSound.release());
    if (closeResult != SF_ERR_NO_ERROR) {
        error = "cannot write " + mFile.destination() + ": " + sf_error_number(closeResult);
        mFile.discard();
        return false;
    }
    return mFile.commit(error);
}

bool WavWriter::fail(const std::string& what, std::string& error) {
    error = what + " " + mFile.destination() + ": " + sf_strerror(mSound.get());
    mSound.reset();
    mFile.discard();
    return false;
}

} // namespace kv::cli
