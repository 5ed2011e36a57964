// karvelund-jack run as a program against a JACK server of the test's own (the dummy driver,
// which needs no sound card), played from a JACK client of the test's own.
#include "temp_folder.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

// A child process with the environment given, its standard error kept in a file.
class Child {
public:
    Child(std::vector<std::string> args, const std::vector<std::string>& env,
          const std::string& errorFile) {
        std::vector<std::string> environment = env;
        for (char** e = environ; *e; ++e)
            environment.emplace_back(*e);
        std::vector<char*> argv, envp;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (std::string& e : environment)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawnp(&mPid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            mPid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() { Stop(); }
    bool Running() const { return mPid > 0; }
    // Asks it to quit (SIGTERM) and returns its exit status.
    int Stop() {
        if (mPid <= 0) return mStatus;
        kill(mPid, SIGTERM);
        return Wait();
    }
    int Wait() {
        if (mPid <= 0) return mStatus;
        int status = 0;
        waitpid(mPid, &status, 0);
        mPid = -1;
        mStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return mStatus;
    }

private:
    pid_t mPid = -1;
    int mStatus = -1;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Plays notes into the instrument's MIDI input and measures what comes back on its outputs.
class Listener {
public:
    explicit Listener(const std::string& server) {
        jack_status_t status{};
        mClient = jack_client_open("KvListener",
                                   static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                   &status, server.c_str());
        if (!mClient) return;
        mMidiOut =
            jack_port_register(mClient, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        mIn = jack_port_register(mClient, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(mClient, Process, this);
        jack_activate(mClient);
    }
    ~Listener() {
        if (mClient) jack_client_close(mClient);
    }
    bool Valid() const { return mClient != nullptr; }
    // True once both connections stand (the instrument accepts them once it is running).
    bool Connect(const std::string& instrument) {
        auto connect = [&](const std::string& from, const std::string& to) {
            const int result = jack_connect(mClient, from.c_str(), to.c_str());
            return result == 0 || result == EEXIST;
        };
        return connect(jack_port_name(mMidiOut), instrument + ":midi_in") &&
               connect(instrument + ":out_left", jack_port_name(mIn));
    }
    bool PortExists(const std::string& name) const {
        return jack_port_by_name(mClient, name.c_str()) != nullptr;
    }
    void PlayNote() { mNotePending.store(true); }
    float Peak() const { return mPeak.load(); }
    void ResetPeak() { mPeak.store(0.0f); }

private:
    static int Process(jack_nframes_t n, void* self) {
        auto* me = static_cast<Listener*>(self);
        void* midi = jack_port_get_buffer(me->mMidiOut, n);
        jack_midi_clear_buffer(midi);
        if (me->mNotePending.exchange(false)) {
            const jack_midi_data_t noteOn[3] = {0x90, 69, 100};
            jack_midi_event_write(midi, 0, noteOn, 3);
        }
        const auto* in = static_cast<const float*>(jack_port_get_buffer(me->mIn, n));
        float peak = me->mPeak.load();
        for (jack_nframes_t i = 0; i < n; ++i)
            peak = std::max(peak, std::fabs(in[i]));
        me->mPeak.store(peak);
        return 0;
    }

    jack_client_t* mClient = nullptr;
    jack_port_t* mMidiOut = nullptr;
    jack_port_t* mIn = nullptr;
    std::atomic<bool> mNotePending{false};
    std::atomic<float> mPeak{0.0f};
};

class KarvelundJackTest : public ::testing::Test {
protected:
    void SetUp() override {
        mServer = "kvtest" + std::to_string(getpid());
        mJackd = std::make_unique<Child>(std::vector<std::string>{"jackd", "--no-realtime", "-n",
                                                                  mServer, "-d", "dummy", "-r",
                                                                  "48000", "-p", "256"},
                                         std::vector<std::string>{}, mTemp.file("jackd.log"));
        ASSERT_TRUE(mJackd->Running()) << "cannot start jackd (is jackd2 installed?)";
        ASSERT_TRUE(WaitFor([&] {
            jack_status_t status{};
            jack_client_t* probe = jack_client_open(
                "KvProbe", static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
                mServer.c_str());
            if (probe) jack_client_close(probe);
            return probe != nullptr;
        })) << ReadFile(mTemp.file("jackd.log"));
    }
    void TearDown() override { mJackd.reset(); }

    std::unique_ptr<Child> StartInstrument(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{KARVELUND_JACK, "--no-gui", "--name",
                                      "KvTest",       "--state",  mTemp.file("state.kvstate")};
        args.insert(args.end(), extra.begin(), extra.end());
        return std::make_unique<Child>(args,
                                       std::vector<std::string>{"JACK_DEFAULT_SERVER=" + mServer},
                                       mTemp.file("instrument.log"));
    }

    kvtest::TempFolder mTemp;
    std::string mServer;
    std::unique_ptr<Child> mJackd;
};

} // namespace

TEST_F(KarvelundJackTest, MidiFromAClientBecomesAudioOnTheOutputs) {
    auto instrument = StartInstrument();
    Listener listener(mServer);
    ASSERT_TRUE(listener.Valid());
    ASSERT_TRUE(WaitFor([&] { return listener.PortExists("KvTest:out_right"); }))
        << ReadFile(mTemp.file("instrument.log"));
    ASSERT_TRUE(WaitFor([&] { return listener.Connect("KvTest"); }));
    // Silent until played.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_LT(listener.Peak(), 1e-6f);
    listener.PlayNote();
    EXPECT_TRUE(WaitFor([&] { return listener.Peak() > 0.01f; }));
    EXPECT_EQ(instrument->Stop(), 0) << ReadFile(mTemp.file("instrument.log"));
}

TEST_F(KarvelundJackTest, StateSurvivesARestartAndADamagedFileIsKeptAside) {
    auto first = StartInstrument({"--preset", "Acid Squelch Bass"});
    Listener listener(mServer);
    ASSERT_TRUE(WaitFor([&] { return listener.PortExists("KvTest:out_right"); }));
    ASSERT_EQ(first->Stop(), 0) << ReadFile(mTemp.file("instrument.log"));
    const std::string saved = ReadFile(mTemp.file("state.kvstate"));
    ASSERT_GT(saved.size(), 100u);
    EXPECT_EQ(ReadFile(mTemp.file("instrument.log")), "");

    // The second run restores it and, changing nothing, saves the same bytes.
    auto second = StartInstrument();
    ASSERT_TRUE(WaitFor([&] { return listener.PortExists("KvTest:out_right"); }));
    ASSERT_EQ(second->Stop(), 0) << ReadFile(mTemp.file("instrument.log"));
    EXPECT_EQ(ReadFile(mTemp.file("state.kvstate")), saved);

    // A damaged file is refused, said so, and kept for the user.
    {
        std::ofstream damaged(mTemp.file("state.kvstate"), std::ios::binary | std::ios::trunc);
        damaged << "KvSt garbage";
    }
    auto third = StartInstrument();
    ASSERT_TRUE(WaitFor([&] { return listener.PortExists("KvTest:out_right"); }));
    ASSERT_EQ(third->Stop(), 0) << ReadFile(mTemp.file("instrument.log"));
    EXPECT_NE(ReadFile(mTemp.file("instrument.log")).find("damaged"), std::string::npos);
    EXPECT_EQ(ReadFile(mTemp.file("state.kvstate.damaged")), "KvSt garbage");
}

TEST(KarvelundJackWithoutServer, SaysWhatIsWrong) {
    kvtest::TempFolder temp;
    Child instrument({KARVELUND_JACK, "--no-gui", "--state", temp.file("s")},
                     {"JACK_DEFAULT_SERVER=kv-no-such-server"}, temp.file("log"));
    EXPECT_EQ(instrument.Wait(), 1);
    EXPECT_NE(ReadFile(temp.file("log")).find("no JACK server is running"), std::string::npos)
        << ReadFile(temp.file("log"));
}
