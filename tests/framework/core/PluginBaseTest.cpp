#include "TestPlug.h"

#include "core/FrameworkVersion.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

TEST(PluginBase, ConstructionAndIdentity) {
    TestPlug plug;
    EXPECT_EQ(plug.NParams(), 31);
    EXPECT_EQ(plug.NPresets(), 64);
    EXPECT_EQ(plug.NInChannels(), 0);
    EXPECT_EQ(plug.NOutChannels(), 2);
    EXPECT_STREQ(plug.GetEffectName(), "Karvelund");
    EXPECT_STREQ(plug.GetProductName(), "");
    EXPECT_STREQ(plug.GetMfrName(), "ZerlindaAudio");
    EXPECT_EQ(plug.GetUniqueID(), MakeFourCC("Kvrn"));
    EXPECT_EQ(plug.GetMfrID(), MakeFourCC("Zrld"));
    EXPECT_EQ(plug.GetAPI(), kAPISA);
    EXPECT_TRUE(plug.IsInst());
    EXPECT_TRUE(plug.DoesMIDI());
    EXPECT_FALSE(plug.DoesStateChunks());
    EXPECT_FALSE(plug.IsBypassed());
    EXPECT_EQ(plug.GetSampleRate(), 44100.0);
    EXPECT_EQ(plug.GetBlockSize(), 0);
    EXPECT_EQ(plug.GetLatency(), 0);
    EXPECT_EQ(plug.GetGUI(), nullptr);
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
    EXPECT_EQ(plug.GetHost(), kHostUninit);
    EXPECT_EQ(plug.GetParam(31), nullptr);
    EXPECT_EQ(plug.GetParam(-1), nullptr);
    EXPECT_STREQ(plug.GetPresetName(0), "empty");
    plug.SetLatency(64);
    EXPECT_EQ(plug.GetLatency(), 64);
    plug.SetBypassed(true);
    EXPECT_TRUE(plug.IsBypassed());
}

TEST(PluginBase, Versions) {
    TestPlug plug;
    EXPECT_EQ(plug.GetEffectVersion(false), 65795);
    EXPECT_EQ(plug.GetEffectVersion(true), 10103);
    char text[32];
    plug.GetEffectVersionStr(text);
    EXPECT_STREQ(text, "v1.1.3D");
    plug.SetHost("Logic Pro", 0x0A0203);
    EXPECT_EQ(plug.GetHost(), kHostLogic);
    EXPECT_EQ(plug.GetHostVersion(false), 0x0A0203);
    EXPECT_EQ(plug.GetHostVersion(true), 100203);
    plug.GetHostVersionStr(text);
    EXPECT_STREQ(text, "v10.2.3");
    plug.SetHost("Some Host", 0);
    EXPECT_EQ(plug.GetHost(), kHostUnknown);
}

TEST(PluginBase, ChannelLayouts) {
    TestPlug plug;
    EXPECT_TRUE(plug.LegalIO(0, 2));
    EXPECT_TRUE(plug.LegalIO(0, 1));
    EXPECT_TRUE(plug.LegalIO(-1, 1));
    EXPECT_TRUE(plug.LegalIO(-1, -1));
    EXPECT_FALSE(plug.LegalIO(1, 2));
    EXPECT_FALSE(plug.LegalIO(0, 3));
    EXPECT_EQ(plug.NChannelIO(), 2);
    int nIn = -1, nOut = -1;
    EXPECT_TRUE(plug.GetChannelIO(1, &nIn, &nOut));
    EXPECT_EQ(nIn, 0);
    EXPECT_EQ(nOut, 2);
    EXPECT_FALSE(plug.GetChannelIO(2, &nIn, &nOut));

    TestPlugConfig config;
    config.mChannelIO = "1-1 2-2";
    TestPlug effect(config);
    EXPECT_EQ(effect.NInChannels(), 2);
    EXPECT_EQ(effect.NOutChannels(), 2);
}

#ifndef NDEBUG
TEST(PluginBaseDeathTest, MalformedChannelLayoutStopsConstruction) {
    TestPlugConfig config;
    config.mChannelIO = "0-1 x";
    EXPECT_DEATH(TestPlug plug(config), "channelIOStrValid");
}
#endif

TEST(PluginBase, ConnectionsAndLabels) {
    TestPlugConfig config;
    config.mChannelIO = "4-4";
    TestPlug plug(config);
    EXPECT_FALSE(plug.IsInChannelConnected(0));
    plug.SetInputChannelConnections(0, 4, true);
    plug.SetOutputChannelConnections(1, 10, true); // stops at the channel count
    EXPECT_TRUE(plug.IsInChannelConnected(3));
    EXPECT_FALSE(plug.IsOutChannelConnected(0));
    EXPECT_TRUE(plug.IsOutChannelConnected(3));
    EXPECT_FALSE(plug.IsOutChannelConnected(4));
    EXPECT_FALSE(plug.IsOutChannelConnected(-1));
    plug.LimitToStereoIO();
    EXPECT_TRUE(plug.IsInChannelConnected(1));
    EXPECT_FALSE(plug.IsInChannelConnected(2));
    EXPECT_TRUE(plug.IsOutChannelConnected(2));
    plug.SetInputChannelConnections(-2, 3, false); // negative start is clipped
    EXPECT_FALSE(plug.IsInChannelConnected(0));
    plug.SetInputLabel(7, "ignored");
    plug.SetOutputLabel(-1, "ignored");
    plug.SetInputLabel(0, "L");
}

TEST(PluginBase, BusLabels) {
    TestPlug plug;
    plug.SetInputBusLabel(2, "third");
    EXPECT_EQ(plug.GetInputBusLabel(2), nullptr);
    plug.SetInputBusLabel(1, "side");
    EXPECT_STREQ(plug.GetInputBusLabel(1), "side");
    EXPECT_EQ(plug.GetInputBusLabel(0), nullptr);
    plug.SetInputBusLabel(1, "side chain");
    EXPECT_STREQ(plug.GetInputBusLabel(1), "side chain");
    plug.SetOutputBusLabel(5, "out 6");
    EXPECT_STREQ(plug.GetOutputBusLabel(5), "out 6");
    EXPECT_EQ(plug.GetOutputBusLabel(4), nullptr);
    plug.SetOutputBusLabel(0, "main");
    EXPECT_STREQ(plug.GetOutputBusLabel(0), "main");
    EXPECT_STREQ(plug.GetOutputBusLabel(5), "out 6");
    plug.SetOutputBusLabel(-1, "ignored");
    EXPECT_EQ(plug.GetOutputBusLabel(-1), nullptr);
}

namespace {

// Writes a ramp to every output so processing can be seen.
class RampPlug : public TestPlug {
public:
    using TestPlug::TestPlug;
    void ProcessDoubleReplacing(double**, double** outputs, int nFrames) override {
        mLastFrames = nFrames;
        for (int c = 0; c < NOutChannels(); ++c) {
            for (int s = 0; s < nFrames; ++s)
                outputs[c][s] = 0.25 * (s + 1) + c;
        }
    }
    int mLastFrames = -1;
};

} // namespace

TEST(PluginBase, FloatOutputsGoThroughScratchBuffers) {
    RampPlug plug;
    plug.SetBlockSize(8);
    plug.SetOutputChannelConnections(0, 2, true);
    float left[8] = {}, right[8] = {};
    float* outs[] = {left, right};
    plug.AttachOutputBuffers(0, 2, outs);
    plug.ProcessBuffers(0.0f, 8);
    EXPECT_EQ(left[0], 0.25f);
    EXPECT_EQ(left[7], 2.0f);
    EXPECT_EQ(right[7], 3.0f);

    plug.ProcessBuffersAccumulating(0.0f, 8);
    EXPECT_EQ(left[7], 4.0f);

    // More frames than the block size: only the block is processed, the rest is silence.
    float wide[12];
    std::fill(wide, wide + 12, 9.0f);
    float wideRight[12];
    float* wideOuts[] = {wide, wideRight};
    plug.AttachOutputBuffers(0, 2, wideOuts);
    plug.ProcessBuffers(0.0f, 12);
    EXPECT_EQ(plug.mLastFrames, 8);
    EXPECT_EQ(wide[7], 2.0f);
    EXPECT_EQ(wide[8], 0.0f);
    EXPECT_EQ(wide[11], 0.0f);
}

TEST(PluginBase, DoubleOutputsAreWrittenInPlace) {
    RampPlug plug;
    plug.SetOutputChannelConnections(0, 2, true);
    double left[16] = {}, right[16] = {};
    double* outs[] = {left, right};
    plug.AttachOutputBuffers(0, 2, outs);
    EXPECT_EQ(plug.OutSlot(0), left);
    plug.ProcessBuffers(0.0, 16); // no scratch buffers in use: the block size does not limit
    EXPECT_EQ(plug.mLastFrames, 16);
    EXPECT_EQ(right[15], 5.0);
}

TEST(PluginBase, UnconnectedChannelsUseScratchAndLimitTheFrames) {
    RampPlug plug;
    plug.ProcessBuffers(0.0, 64); // nothing connected, no block size: nothing to write to
    EXPECT_EQ(plug.mLastFrames, 0);
    plug.SetBlockSize(32);
    EXPECT_NE(plug.OutSlot(0), nullptr);
    plug.ProcessBuffers(0.0, 64);
    EXPECT_EQ(plug.mLastFrames, 32);
    EXPECT_EQ(plug.OutSlot(1)[31], 9.0);
    plug.ZeroScratchBuffers();
    EXPECT_EQ(plug.OutSlot(1)[31], 0.0);
}

TEST(PluginBase, SetBlockSizeOnlyResizesOnChange) {
    RampPlug plug;
    plug.SetBlockSize(4);
    plug.ProcessBuffers(0.0, 4);
    const double* slot = plug.OutSlot(0);
    plug.SetBlockSize(4);
    EXPECT_EQ(plug.OutSlot(0), slot);
    EXPECT_EQ(plug.OutSlot(0)[3], 1.0); // contents kept
    plug.SetBlockSize(4096);
    EXPECT_EQ(plug.GetBlockSize(), 4096);
    EXPECT_EQ(plug.OutSlot(0)[3], 0.0); // resized and zeroed, slot follows the buffer
    plug.ProcessBuffers(0.0, 4096);
    EXPECT_EQ(plug.OutSlot(0)[4095], 1024.0);
}

TEST(PluginBase, InputBuffersAndPassThrough) {
    TestPlugConfig config;
    config.mChannelIO = "2-2";
    TestPlug plug(config);
    plug.SetBlockSize(4);
    plug.SetInputChannelConnections(1, 1, true); // only channel 1
    plug.SetOutputChannelConnections(0, 2, true);
    double inA[4] = {1, 2, 3, 4};
    double* ins[] = {inA};
    plug.AttachInputBuffers(0, 2, ins, 4); // consumes one pointer, for channel 1
    EXPECT_EQ(plug.InSlot(1), inA);
    EXPECT_NE(plug.InSlot(0), inA);

    double outL[4] = {9, 9, 9, 9}, outR[4] = {};
    double* outs[] = {outL, outR};
    plug.AttachOutputBuffers(0, 2, outs);
    plug.PassThroughBuffers(0.0, 4);
    EXPECT_EQ(outL[0], 0.0); // from channel 0's zeroed scratch
    EXPECT_EQ(outR[3], 4.0);

    float fin[4] = {0.5f, 1.5f, 2.5f, 3.5f};
    float* fins[] = {fin};
    plug.AttachInputBuffers(0, 2, fins, 4);
    float foutL[4] = {}, foutR[4] = {};
    float* fouts[] = {foutL, foutR};
    plug.AttachOutputBuffers(0, 2, fouts);
    plug.PassThroughBuffers(0.0f, 4);
    EXPECT_EQ(foutR[2], 2.5f);
    EXPECT_EQ(foutL[2], 0.0f);

    plug.ProcessBuffers(0.0f, 4); // the default processing copies too
    EXPECT_EQ(foutR[3], 3.5f);
}

TEST(PluginBase, DefaultSingleReplacingCopiesAndZeroes) {
    TestPlugConfig config;
    config.mChannelIO = "1-2";
    TestPlug plug(config);
    float in[3] = {1, 2, 3};
    float a[3] = {9, 9, 9}, b[3] = {9, 9, 9};
    float* ins[] = {in};
    float* outs[] = {a, b};
    plug.ProcessSingleReplacing(ins, outs, 3);
    EXPECT_EQ(a[2], 3.0f);
    EXPECT_EQ(b[0], 0.0f);
}

TEST(PluginBase, SetParameterFromGuiSetsInformsAndApplies) {
    TestPlug plug;
    plug.SetParameterFromGUI(3, 0.5);
    EXPECT_DOUBLE_EQ(plug.GetParam(3)->GetNormalized(), 0.5);
    ASSERT_EQ(plug.mInformed.size(), 1u);
    EXPECT_EQ(plug.mInformed[0].first, 3);
    EXPECT_EQ(plug.mInformed[0].second, 0.5);
    EXPECT_EQ(plug.mChanges, std::vector<int>{3});
    plug.SetParameterFromGUI(40, 0.5); // no such parameter
    EXPECT_EQ(plug.mChanges.size(), 1u);
}

TEST(PluginBase, AttachGraphicsPushesNormalisedValuesThenPrepares) {
    TestPlug plug;
    plug.GetParam(5)->SetNormalized(0.75);
    int deleted = 0;
    FakeGraphics* graphics = plug.AttachFakeGraphics(&deleted);
    EXPECT_EQ(plug.GetGUI(), graphics);
    ASSERT_EQ(graphics->mFromPlug.size(), 31u);
    EXPECT_EQ(graphics->mFromPlug[5].mParamIdx, 5);
    EXPECT_DOUBLE_EQ(graphics->mFromPlug[5].mValue, 0.75);
    EXPECT_TRUE(graphics->mFromPlug[5].mNormalized);
    EXPECT_EQ(graphics->mPrepDrawCalls, 1);
    EXPECT_EQ(graphics->Width(), 1080);
    EXPECT_EQ(graphics->Height(), 525);
    EXPECT_EQ(graphics->FPS(), 25);
    EXPECT_EQ(graphics->GetPlug(), &plug);

    graphics->mFromPlug.clear();
    plug.RedrawParamControls();
    ASSERT_EQ(graphics->mFromPlug.size(), 31u);
    EXPECT_EQ(graphics->mFromPlug[5].mValue, plug.GetParam(5)->Value());
    EXPECT_FALSE(graphics->mFromPlug[5].mNormalized);

    plug.AttachGraphics(nullptr);
    EXPECT_EQ(plug.GetGUI(), graphics);
    plug.AttachFakeGraphics(&deleted); // a new editor replaces and deletes the old one
    EXPECT_EQ(deleted, 1);
}

TEST(PluginBase, DestructionDeletesTheEditor) {
    int deleted = 0;
    {
        TestPlug plug;
        plug.AttachFakeGraphics(&deleted);
    }
    EXPECT_EQ(deleted, 1);
}

TEST(PluginBase, OnParamResetVisitsEveryParameterInOrder) {
    TestPlug plug;
    plug.OnParamReset();
    ASSERT_EQ(plug.mChanges.size(), 31u);
    for (int i = 0; i < 31; ++i)
        EXPECT_EQ(plug.mChanges[static_cast<size_t>(i)], i);
}

TEST(PluginBase, DirtyParametersInformsTheHostOfEveryValue) {
    TestPlug plug;
    plug.GetParam(30)->SetNormalized(0.125);
    plug.DirtyParameters();
    ASSERT_EQ(plug.mInformed.size(), 31u);
    EXPECT_EQ(plug.mInformed[30].first, 30);
    EXPECT_DOUBLE_EQ(plug.mInformed[30].second, 0.125);
}

TEST(PluginBase, MidiPassesThroughAndSendMidiMsgsReportsFailures) {
    TestPlug plug;
    IMidiMsg msg;
    msg.MakeNoteOnMsg(60, 90, 4);
    plug.ProcessMidiMsg(&msg);
    ASSERT_EQ(plug.mSent.size(), 1u);
    EXPECT_EQ(plug.mSent[0].mData1, 60);

    UTIL_TypedBuf<IMidiMsg> msgs;
    msgs.Add(msg);
    msgs.Add(msg);
    EXPECT_TRUE(plug.SendMidiMsgs(&msgs));
    plug.SetSendResult(false);
    EXPECT_FALSE(plug.SendMidiMsgs(&msgs));
    EXPECT_EQ(plug.mSent.size(), 5u); // every message is still sent
    char name[8] = "x";
    EXPECT_FALSE(plug.MidiNoteName(60, name));
    EXPECT_STREQ(name, "");
}

TEST(PluginBase, SamplesPerBeat) {
    TestPlug plug;
    EXPECT_EQ(plug.GetSamplesPerBeat(), 22050.0);
    plug.SetSampleRate(48000.0);
    plug.SetTempo(90.0);
    EXPECT_DOUBLE_EQ(plug.GetSamplesPerBeat(), 32000.0);
    plug.SetTempo(0.0);
    EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);
}

TEST(PluginBase, MutexIsRecursiveAndExcludesOtherThreads) {
    TestPlug plug;
    std::atomic<bool> changed{false};
    std::thread other;
    {
        IPluginBase::IMutexLock lock(&plug);
        plug.SetParameterFromGUI(0, 0.5); // takes the lock again on this thread
        other = std::thread([&] {
            plug.SetParameterFromGUI(1, 0.5);
            changed = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(changed.load());
    }
    other.join();
    EXPECT_TRUE(changed.load());
}
