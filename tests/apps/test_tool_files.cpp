// What `karvelund render` does with the files it is given: it never destroys an input or a
// device, cleans up after an interruption, writes the type the name asks for and the same
// bytes every time.

#include "tool_runner.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>

using namespace kvtest;
namespace fs = std::filesystem;

extern char** environ;

namespace {

// One note, short enough to render at once.
std::vector<uint8_t> shortNote() {
    return midiBytes({{0, 0x90, 60, 100}, {240, 0x80, 60, 0}});
}

bool hasTemporaryFiles(const TempFolder& temp) {
    for (const std::string& name : temp.entries())
        if (name.rfind(".kv-", 0) == 0) return true;
    return false;
}

} // namespace

TEST(ToolFiles, RefusesToWriteOverItsInputAlsoThroughALink) {
    TempFolder temp;
    const std::string mid = temp.file("song.mid");
    const std::vector<uint8_t> bytes = shortNote();
    writeFile(mid, bytes);
    fs::create_symlink(mid, temp.file("link.wav"));
    for (const std::string& out : {mid, temp.file("link.wav")}) {
        const ToolRun run = runTool({"render", "--quiet", mid, out}, temp);
        EXPECT_EQ(run.status, 2) << out;
        EXPECT_NE(run.err.find("is the input file"), std::string::npos) << run.err;
        EXPECT_EQ(slurp(mid), std::string(bytes.begin(), bytes.end()));
    }
}

TEST(ToolFiles, WritesIntoDevicesFifosAndStandardOutputWithoutReplacingThem) {
    TempFolder temp;
    const std::string mid = temp.file("song.mid");
    writeFile(mid, shortNote());

    // A device of our own, like /dev/null, so that a faulty tool cannot harm the system's.
    const std::string device = temp.file("null.wav");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        const ToolRun toDevice = runTool({"render", "--quiet", "--tail", "0", mid, device}, temp);
        EXPECT_EQ(toDevice.status, 0) << toDevice.err;
        struct stat node {};
        ASSERT_EQ(::stat(device.c_str(), &node), 0);
        EXPECT_TRUE(S_ISCHR(node.st_mode)) << "the device node must stay";
    } else {
        std::printf("(no device node test: mknod needs root)\n");
    }

    // Standard output carries a whole WAV file.
    const ToolRun toStdout = runTool({"render", "--tail", "0", mid, "-"}, temp);
    ASSERT_EQ(toStdout.status, 0) << toStdout.err;
    writeFile(temp.file("from-stdout.wav"),
              std::vector<uint8_t>(toStdout.out.begin(), toStdout.out.end()));
    SF_INFO info;
    readAudio(temp.file("from-stdout.wav"), info);
    EXPECT_EQ(info.frames, 12001); // a quarter note at 120 BPM, then the last event's sample

    // Without a factory bank the instrument says so, and not into the audio.
    fs::create_directories(temp.file("alone"));
    fs::copy_file(programFolder() / "karvelund", temp.file("alone/karvelund"));
    const ToolRun alone =
        runTool({"render", "--tail", "0", mid, "-"}, temp, temp.file("alone/karvelund"));
    ASSERT_EQ(alone.status, 0) << alone.err;
    EXPECT_EQ(alone.out.rfind("RIFF", 0), 0u);
    EXPECT_NE(alone.err.find("file open error!"), std::string::npos) << alone.err;

    // A FIFO is written through and stays a FIFO.
    const std::string fifo = temp.file("pipe.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto reader = std::async(std::launch::async, [&] { return slurp(fifo); });
    const ToolRun toFifo = runTool({"render", "--quiet", "--tail", "0", mid, fifo}, temp);
    EXPECT_EQ(toFifo.status, 0) << toFifo.err;
    const std::string bytes = reader.get();
    EXPECT_EQ(bytes, toStdout.out);
    struct stat pipe {};
    ASSERT_EQ(::stat(fifo.c_str(), &pipe), 0);
    EXPECT_TRUE(S_ISFIFO(pipe.st_mode));
}

TEST(ToolFiles, AnInterruptedRenderLeavesNoTemporaryFile) {
    TempFolder temp;
    // A long note rendered sample by sample: slow enough to interrupt.
    writeFile(temp.file("long.mid"), midiBytes({{0, 0x90, 60, 100}, {480 * 200, 0x80, 60, 0}}));
    for (int signalNumber : {SIGINT, SIGTERM}) {
        const std::string program = (programFolder() / "karvelund").string();
        const std::string mid = temp.file("long.mid"), out = temp.file("long.wav");
        std::vector<const char*> argv = {program.c_str(), "render",    "--quiet", "--block", "1",
                                         mid.c_str(),     out.c_str(), nullptr};
        pid_t pid = 0;
        ASSERT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr,
                                const_cast<char**>(argv.data()), environ),
                  0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!hasTemporaryFiles(temp) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_TRUE(hasTemporaryFiles(temp)) << "the render never started writing";
        ::kill(pid, signalNumber);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber);
        EXPECT_FALSE(hasTemporaryFiles(temp)) << "signal " << signalNumber;
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST(ToolFiles, TheExtensionChoosesTheFileType) {
    TempFolder temp;
    const std::string mid = temp.file("song.mid");
    writeFile(mid, shortNote());
    struct Case {
        const char* name;
        int major;
        int subtype;
    };
    const Case cases[] = {{"a.wav", SF_FORMAT_WAV, SF_FORMAT_FLOAT},
                          {"b.FLAC", SF_FORMAT_FLAC, SF_FORMAT_PCM_24},
                          {"c.ogg", SF_FORMAT_OGG, SF_FORMAT_VORBIS},
                          {"d.aiff", SF_FORMAT_AIFF, SF_FORMAT_FLOAT}};
    for (const Case& c : cases) {
        const ToolRun run =
            runTool({"render", "--quiet", "--tail", "0.1", mid, temp.file(c.name)}, temp);
        ASSERT_EQ(run.status, 0) << c.name << run.err;
        SF_INFO info;
        const auto samples = readAudio(temp.file(c.name), info);
        EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, c.major) << c.name;
        EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, c.subtype) << c.name;
        EXPECT_GT(*std::max_element(samples.begin(), samples.end()), 0.01f) << c.name;
    }
    const ToolRun pcm16 =
        runTool({"render", "--quiet", "--format", "pcm16", mid, temp.file("e.flac")}, temp);
    ASSERT_EQ(pcm16.status, 0) << pcm16.err;
    SF_INFO info;
    readAudio(temp.file("e.flac"), info);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);

    const ToolRun mp3 = runTool({"render", mid, temp.file("song.mp3")}, temp);
    EXPECT_EQ(mp3.status, 2);
    EXPECT_NE(mp3.err.find("song.mp3: unknown audio file type"), std::string::npos) << mp3.err;
    EXPECT_FALSE(fs::exists(temp.file("song.mp3")));
    const ToolRun floatFlac =
        runTool({"render", "--format", "float", mid, temp.file("f.flac")}, temp);
    EXPECT_EQ(floatFlac.status, 2);
    EXPECT_NE(floatFlac.err.find("FLAC files cannot hold it"), std::string::npos);
}

TEST(ToolFiles, AFifoAsInputIsRefusedWithoutWaitingForAWriter) {
    TempFolder temp;
    const std::string fifo = temp.file("in.mid");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const ToolRun run =
        runTool({"render", fifo, temp.file("out.wav")}, temp, programFolder() / "karvelund", 10);
    EXPECT_EQ(run.status, 1) << "124 means it waited for a writer";
    EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;

    // So are a bank and a program file.
    writeFile(temp.file("note.mid"), shortNote());
    for (const char* option : {"--bank", "--fxp"}) {
        const ToolRun file =
            runTool({"render", option, fifo, temp.file("note.mid"), temp.file("out.wav")}, temp,
                    programFolder() / "karvelund", 10);
        EXPECT_EQ(file.status, 1) << option;
        EXPECT_NE(file.err.find("in.mid: not a file"), std::string::npos) << file.err;
    }
}

TEST(ToolFiles, TheLongestLegalNameWorksAndRendersRepeatExactly) {
    TempFolder temp;
    const std::string mid = temp.file("song.mid");
    writeFile(mid, shortNote());
    const std::string longName = temp.file(std::string(251, 'x') + ".wav"); // 255 characters
    const ToolRun run = runTool({"render", "--quiet", "--tail", "0.2", mid, longName}, temp);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(longName));

    const std::string first = slurp(longName);
    ASSERT_EQ(
        runTool({"render", "--quiet", "--tail", "0.2", mid, temp.file("again.wav")}, temp).status,
        0);
    EXPECT_EQ(first.find("PEAK"), std::string::npos) << "the PEAK chunk holds a time stamp";
    EXPECT_EQ(slurp(temp.file("again.wav")), first);
}
