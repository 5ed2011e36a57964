#include "wav_writer.h"

#include <sndfile.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

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

int libsndfileFormat(AudioContainer container, WavSampleFormat format) {
    switch (container) {
    case AudioContainer::Flac:
        return SF_FORMAT_FLAC | subtypeOf(format);
    case AudioContainer::Ogg:
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case AudioContainer::Aiff:
        return SF_FORMAT_AIFF | subtypeOf(format);
    case AudioContainer::Wav:
        break;
    }
    return SF_FORMAT_WAV | subtypeOf(format);
}

// Virtual I/O over WavWriter::MemoryFile.
sf_count_t memoryLength(void* user) {
    return static_cast<sf_count_t>(static_cast<WavWriter::MemoryFile*>(user)->bytes.size());
}
sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<WavWriter::MemoryFile*>(user);
    const sf_count_t base = whence == SEEK_CUR   ? file->position
                            : whence == SEEK_END ? memoryLength(user)
                                                 : 0;
    file->position = std::max<sf_count_t>(0, base + offset);
    return file->position;
}
sf_count_t memoryRead(void* to, sf_count_t count, void* user) {
    auto* file = static_cast<WavWriter::MemoryFile*>(user);
    const sf_count_t available = std::max<sf_count_t>(0, memoryLength(user) - file->position);
    const sf_count_t n = std::min(count, available);
    std::memcpy(to, file->bytes.data() + file->position, static_cast<size_t>(n));
    file->position += n;
    return n;
}
sf_count_t memoryWrite(const void* from, sf_count_t count, void* user) {
    auto* file = static_cast<WavWriter::MemoryFile*>(user);
    const size_t end = static_cast<size_t>(file->position + count);
    if (end > file->bytes.size()) file->bytes.resize(end);
    std::memcpy(file->bytes.data() + file->position, from, static_cast<size_t>(count));
    file->position += count;
    return count;
}
sf_count_t memoryTell(void* user) {
    return static_cast<WavWriter::MemoryFile*>(user)->position;
}

bool writeAll(int fd, const uint8_t* bytes, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::write(fd, bytes + done, size - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0) return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
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

bool audioContainerFromPath(const std::string& path, AudioContainer& container) {
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "wav")
        container = AudioContainer::Wav;
    else if (extension == "flac")
        container = AudioContainer::Flac;
    else if (extension == "ogg")
        container = AudioContainer::Ogg;
    else if (extension == "aiff" || extension == "aif")
        container = AudioContainer::Aiff;
    else
        return false;
    return true;
}

const char* audioContainerName(AudioContainer container) {
    switch (container) {
    case AudioContainer::Flac:
        return "FLAC";
    case AudioContainer::Ogg:
        return "Ogg Vorbis";
    case AudioContainer::Aiff:
        return "AIFF";
    case AudioContainer::Wav:
        break;
    }
    return "WAV";
}

bool containerTakesSampleFormat(AudioContainer container, WavSampleFormat format) {
    if (container == AudioContainer::Ogg) return false;
    if (container == AudioContainer::Flac) return format != WavSampleFormat::Float32;
    return true;
}

bool isDirectOutput(const std::string& path) {
    struct stat existing {};
    return path == "-" || (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) &&
                           !S_ISDIR(existing.st_mode));
}

void WavWriter::SoundCloser::operator()(sf_private_tag* sound) const {
    sf_close(sound);
}

WavWriter::~WavWriter() = default;

bool WavWriter::openDirect(const std::string& path, std::string& error) {
    if (path == "-") {
        mDirectTarget = STDOUT_FILENO;
        return true;
    }
    mDirectFd = UniqueFd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (!mDirectFd.valid()) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    mDirectTarget = mDirectFd.get();
    return true;
}

bool WavWriter::open(const std::string& path, int sampleRate, int channels, WavSampleFormat format,
                     std::string& error, AudioContainer container) {
    mSound.reset();
    mFile.discard();
    mDirectFd.reset();
    mDirectTarget = -1;
    mMemory.reset();
    mDestination = path;
    if (channels != 1 && channels != 2) {
        error = "cannot write " + path + ": " + std::to_string(channels) +
                " channels (1 or 2 are supported)";
        return false;
    }
    if (sampleRate <= 0) {
        error = "cannot write " + path + ": sample rate " + std::to_string(sampleRate);
        return false;
    }
    const bool direct = isDirectOutput(path);
    if (direct ? !openDirect(path, error) : !mFile.create(path, error)) return false;
    const int fd = direct ? mDirectTarget : mFile.fd();

    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = libsndfileFormat(container, format);
    if (direct && ::lseek(fd, 0, SEEK_CUR) < 0) {
        static SF_VIRTUAL_IO memoryIo{memoryLength, memorySeek, memoryRead, memoryWrite,
                                      memoryTell};
        mMemory = std::make_unique<MemoryFile>();
        mSound.reset(sf_open_virtual(&memoryIo, SFM_WRITE, &info, mMemory.get()));
    } else {
        mSound.reset(sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE));
    }
    if (!mSound) return fail("cannot write", error);
    // No PEAK chunk: it carries the time of writing, and a render must give the same bytes.
    sf_command(mSound.get(), SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    if (format != WavSampleFormat::Float32) {
        sf_command(mSound.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    }
    return true;
}

template <typename Sample, typename WriteFn>
bool WavWriter::write(const Sample* samples, size_t frames, WriteFn writeFn, std::string& error) {
    if (!mSound) {
        error = "cannot write " + mDestination + ": file is not open";
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

bool WavWriter::flushMemoryFile(std::string& error) {
    if (!mMemory) return true;
    if (!writeAll(mDirectTarget, mMemory->bytes.data(), mMemory->bytes.size())) {
        error = "cannot write " + mDestination + ": " + std::strerror(errno);
        return false;
    }
    mMemory.reset();
    return true;
}

bool WavWriter::finish(std::string& error) {
    if (!mSound) {
        error = "cannot finish " + mDestination + ": file is not open";
        return false;
    }
    const int closeResult = sf_close(mSound.release());
    if (closeResult != SF_ERR_NO_ERROR) {
        error = "cannot write " + mDestination + ": " + sf_error_number(closeResult);
        mFile.discard();
        return false;
    }
    if (mDirectTarget >= 0) {
        const bool flushed = flushMemoryFile(error);
        const bool closed = mDirectFd.close();
        if (flushed && !closed)
            error = "cannot write " + mDestination + ": " + std::strerror(errno);
        return flushed && closed;
    }
    return mFile.commit(error);
}

bool WavWriter::fail(const std::string& what, std::string& error) {
    error = what + " " + mDestination + ": " + sf_strerror(mSound.get());
    mSound.reset();
    mFile.discard();
    mDirectFd.reset();
    mMemory.reset();
    return false;
}

} // namespace kv::cli
