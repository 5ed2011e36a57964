#include "standalone_state.h"

#include "core/ByteChunk.h"
#include "core/IPluginBase.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kMagic[4] = {'K', 'v', 'S', 't'};
constexpr std::int32_t kVersion = 1;

bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

} // namespace

std::string StandaloneStatePath() {
    const char* state = std::getenv("XDG_STATE_HOME");
    std::string folder;
    if (state && state[0] == '/') {
        folder = state;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home && *home ? home : "") + "/.local/state";
    }
    return folder + "/Zerlinda Audio/Karvelund/standalone.kvstate";
}

bool SaveStandaloneState(IPluginBase& plug, const std::string& path, std::string& error) {
    ByteChunk chunk, params;
    {
        IPluginBase::IMutexLock lock(&plug);
        chunk.PutBytes(kMagic, 4);
        chunk.Put(&kVersion);
        const std::int32_t current = plug.GetCurrentPresetIdx();
        chunk.Put(&current);
        const bool collected = plug.SerializeState(&params);
        const std::int32_t paramsSize = params.Size();
        chunk.Put(&paramsSize);
        if (!collected || chunk.PutChunk(&params) < 0 || !plug.SerializePresets(&chunk)) {
            error = "cannot collect the instrument's state";
            return false;
        }
    }
    if (!MakeFolders(path)) {
        error = path + ": cannot make the folder: " + std::strerror(errno);
        return false;
    }
    const std::string temporary = path + ".saving";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    for (int done = 0; written && done < chunk.Size();) {
        const ssize_t n =
            write(fd, chunk.GetBytes() + done, static_cast<size_t>(chunk.Size() - done));
        if (n <= 0) written = false;
        done += static_cast<int>(n);
    }
    if (fd >= 0 && (fsync(fd) != 0 || close(fd) != 0)) written = false;
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": cannot write: " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool LoadStandaloneState(IPluginBase& plug, const std::string& path, std::string& error) {
    error.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (errno != ENOENT) error = path + ": cannot read: " + std::strerror(errno);
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ByteChunk chunk;
    chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
    char magic[4] = {};
    std::int32_t version = 0, current = 0;
    int pos = chunk.GetBytes(magic, 4, 0);
    pos = pos < 0 ? -1 : chunk.Get(&version, pos);
    pos = pos < 0 ? -1 : chunk.Get(&current, pos);
    std::int32_t paramsSize = 0;
    const int paramsAt = pos < 0 ? -1 : chunk.Get(&paramsSize, pos);
    const bool framed = paramsAt >= 0 && paramsSize >= 0 && paramsAt + paramsSize <= chunk.Size();
    if (pos < 0 || std::memcmp(magic, kMagic, 4) != 0 || version != kVersion || !framed ||
        plug.CheckState(&chunk, paramsAt) != paramsAt + paramsSize) {
        error = path + ": not a Karvelund state file, or damaged; it was left as it is";
        return false;
    }
    IPluginBase::IMutexLock lock(&plug);
    // The preset list is checked whole before it replaces anything.
    if (plug.UnserializePresets(&chunk, paramsAt + paramsSize) < 0) {
        error = path + ": the preset list is damaged; it was left as it is";
        return false;
    }
    if (current >= 0 && current < plug.NPresets()) plug.RestorePreset(current);
    plug.UnserializeState(&chunk, paramsAt);
    plug.RedrawParamControls();
    return true;
}
