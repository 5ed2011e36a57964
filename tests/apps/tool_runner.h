#pragma once
// Runs the `karvelund` program beside the test as a user runs it, and reads what it writes.

#include "midi_file_writer.h"
#include "temp_folder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace kvtest {

inline std::filesystem::path programFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

struct ToolRun {
    int status = -1;
    std::string out, err;
};

inline std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q.append("'\\''");
        else
            q.push_back(c);
    }
    q.push_back('\'');
    return q;
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the tool with the given arguments; the user's data folder is an empty temporary one.
// A run that takes longer than `timeoutSeconds` is stopped and reports status 124.
inline ToolRun runTool(const std::vector<std::string>& args, const TempFolder& temp,
                       const std::filesystem::path& program = programFolder() / "karvelund",
                       int timeoutSeconds = 120) {
    std::string command = "XDG_DATA_HOME=";
    command.append(shellQuote(temp.file("xdg")))
        .append(" timeout ")
        .append(std::to_string(timeoutSeconds))
        .append(" ")
        .append(shellQuote(program.string()));
    for (const std::string& a : args)
        command.append(" ").append(shellQuote(a));
    command.append(" >").append(shellQuote(temp.file("stdout")));
    command.append(" 2>").append(shellQuote(temp.file("stderr")));
    ToolRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    run.out = slurp(temp.file("stdout"));
    run.err = slurp(temp.file("stderr"));
    return run;
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Every sample of an audio file (any type libsndfile reads), frames interleaved; info says
// what it is.
inline std::vector<float> readInterleaved(const std::string& path, SF_INFO& info) {
    info = {};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return {};
    std::vector<float> samples(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(f, samples.data(), info.frames);
    sf_close(f);
    return samples;
}

// The samples of channel 0.
inline std::vector<float> readAudio(const std::string& path, SF_INFO& info) {
    const std::vector<float> samples = readInterleaved(path, info);
    std::vector<float> first;
    for (size_t i = 0; i < samples.size(); i += static_cast<size_t>(info.channels))
        first.push_back(samples[i]);
    return first;
}

inline std::vector<float> readAudio(const std::string& path) {
    SF_INFO info;
    return readAudio(path, info);
}

inline std::vector<std::string> concat(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// `karvelund render OPTIONS MID` into a WAV file in temp: its first channel. The run is
// expected to succeed; `run`, when given, receives what it said.
inline std::vector<float> renderMidi(const TempFolder& temp, const std::string& mid,
                                     const std::vector<std::string>& options,
                                     ToolRun* run = nullptr) {
    const std::string out = temp.file("render.wav");
    std::filesystem::remove(out);
    const ToolRun result = runTool(concat(concat({"render"}, options), {mid, out}), temp);
    EXPECT_EQ(result.status, 0) << result.err;
    if (run) *run = result;
    return readAudio(out);
}

// A format 0 file at 480 ticks per quarter from channel events and tempo changes.
struct TickEvent {
    uint32_t tick;
    uint8_t status, data1, data2;
};
inline std::vector<uint8_t>
midiBytes(const std::vector<TickEvent>& events,
          const std::vector<std::pair<uint32_t, uint32_t>>& tempos = {}) {
    kv::cli::MidiTrack track;
    for (const TickEvent& e : events)
        track.events.push_back(kv::cli::midiChannelEvent(e.tick, e.status, e.data1, e.data2));
    for (const auto& [tick, micros] : tempos)
        track.events.push_back(kv::cli::midiTempoEvent(tick, micros));
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(
        kv::cli::encodeMidiFile(kv::cli::MidiFileLayout{0, 480, true}, {track}, bytes, error))
        << error;
    return bytes;
}

// Index of the first sample where a and b differ, or -1.
inline long firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return static_cast<long>(i);
    return a.size() == b.size() ? -1 : static_cast<long>(n);
}

} // namespace kvtest
