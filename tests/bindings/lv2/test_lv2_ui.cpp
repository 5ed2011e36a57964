// The editor module as a host shows it through suil, on an X server of the test's own: it
// opens inside the host's window, idles, writes a dragged control to its port with a gesture,
// follows port events and played notes, and closes.

#include "LilvHost.h"
#include "XvfbServer.h"

#include "KarvelundParamTable.h"

#include <gtest/gtest.h>
#include <lv2/atom/forge.h>
#include <lv2/midi/midi.h>
#include <lv2/ui/ui.h>
#include <suil/suil.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kUIURI = "https://zerlinda.audio/plugins/karvelund#ui";
const uint32_t kEventsPort = kNumParams;
const uint32_t kNotifyPort = kNumParams + 1;

struct Written {
    uint32_t port;
    uint32_t protocol;
    std::vector<uint8_t> bytes;
    float value() const {
        float v = 0;
        std::memcpy(&v, bytes.data(), sizeof v);
        return v;
    }
};

class EditorInSuil : public ::testing::Test {
protected:
    static void SetUpTestSuite() { sServer = new XvfbServer; }
    static void TearDownTestSuite() {
        delete sServer;
        sServer = nullptr;
    }

    void SetUp() override {
        if (!sServer->running()) GTEST_SKIP() << "no Xvfb";
        setenv("DISPLAY", sServer->display().c_str(), 1);
        mX = XOpenDisplay(sServer->display().c_str());
        ASSERT_NE(mX, nullptr);
        mParent = XCreateSimpleWindow(mX, DefaultRootWindow(mX), 0, 0, 1200, 700, 0, 0, 0);
        XMapWindow(mX, mParent);
        XSync(mX, False);

        const LilvPlugin* plugin = mHost.plugin();
        LilvUIs* uis = lilv_plugin_get_uis(plugin);
        LilvNode* uiUri = lilv_new_uri(mHost.world(), kUIURI);
        const LilvUI* ui = lilv_uis_get_by_uri(uis, uiUri);
        ASSERT_NE(ui, nullptr);
        LilvNode* x11 = lilv_new_uri(mHost.world(), LV2_UI__X11UI);
        EXPECT_TRUE(lilv_ui_is_a(ui, x11));
        char* bundle = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_bundle_uri(ui)), nullptr);
        char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);

        mSuilHost = suil_host_new(Write, PortIndex, nullptr, nullptr);
        suil_host_set_touch_func(mSuilHost, Touch);
        mResize = {this, Resize};
        mParentFeature = {LV2_UI__parent, reinterpret_cast<void*>(mParent)};
        mResizeFeature = {LV2_UI__resize, &mResize};
        mMapFeature = {LV2_URID__map, mHost.uridMap()};
        const LV2_Feature* features[] = {&mMapFeature, &mParentFeature, &mResizeFeature, nullptr};
        mInstance = suil_instance_new(mSuilHost, this, LV2_UI__X11UI,
                                      lilv_node_as_uri(lilv_plugin_get_uri(plugin)), kUIURI,
                                      LV2_UI__X11UI, bundle, binary, features);
        lilv_free(bundle);
        lilv_free(binary);
        lilv_node_free(x11);
        lilv_node_free(uiUri);
        lilv_uis_free(uis);
        ASSERT_NE(mInstance, nullptr);
        mEditor = reinterpret_cast<Window>(suil_instance_get_widget(mInstance));
        mIdle = static_cast<const LV2UI_Idle_Interface*>(
            suil_instance_extension_data(mInstance, LV2_UI__idleInterface));
        ASSERT_NE(mIdle, nullptr);
    }

    void TearDown() override {
        if (mInstance) suil_instance_free(mInstance);
        if (mSuilHost) suil_host_free(mSuilHost);
        if (mX) {
            XDestroyWindow(mX, mParent);
            XCloseDisplay(mX);
        }
    }

    static void Write(void* controller, uint32_t port, uint32_t size, uint32_t protocol,
                      const void* buffer) {
        auto* self = static_cast<EditorInSuil*>(controller);
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        self->mWritten.push_back({port, protocol, std::vector<uint8_t>(bytes, bytes + size)});
    }
    static uint32_t PortIndex(void*, const char*) { return 0; }
    static void Touch(void* controller, uint32_t port, bool grabbed) {
        static_cast<EditorInSuil*>(controller)->mTouches.emplace_back(port, grabbed);
    }
    static int Resize(LV2UI_Feature_Handle handle, int w, int h) {
        auto* self = static_cast<EditorInSuil*>(handle);
        self->mSize = {w, h};
        return 0;
    }

    // A few ticks of the host's idle timer.
    int idle(int times = 6) {
        int result = 0;
        for (int i = 0; i < times && result == 0; ++i) {
            XSync(mX, False);
            result = mIdle->idle(suil_instance_get_handle(mInstance));
            usleep(45000);
        }
        return result;
    }

    void mouse(int type, int x, int y) {
        XEvent e{};
        e.type = type;
        // Button and motion events share their leading fields.
        XButtonEvent& b = e.xbutton;
        b.display = mX;
        b.window = mEditor;
        b.root = DefaultRootWindow(mX);
        b.time = CurrentTime;
        b.x = b.x_root = x;
        b.y = b.y_root = y;
        b.same_screen = True;
        if (type == MotionNotify) {
            e.xmotion.state = Button1Mask;
            e.xmotion.is_hint = NotifyNormal;
        } else {
            b.button = Button1;
            b.state = type == ButtonRelease ? Button1Mask : 0;
        }
        XSendEvent(mX, mEditor, True, NoEventMask, &e);
        XFlush(mX);
    }

    std::vector<uint32_t> pixels(int x, int y, int w, int h) {
        XSync(mX, False);
        XImage* image = XGetImage(mX, mEditor, x, y, static_cast<unsigned>(w),
                                  static_cast<unsigned>(h), AllPlanes, ZPixmap);
        std::vector<uint32_t> out;
        if (!image) return out;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                out.push_back(static_cast<uint32_t>(XGetPixel(image, i, j)));
        XDestroyImage(image);
        return out;
    }

    void sendToEditor(uint32_t port, const LV2_Atom* atom) {
        suil_instance_port_event(mInstance, port, sizeof(LV2_Atom) + atom->size,
                                 mHost.map(LV2_ATOM__eventTransfer), atom);
    }

    static inline XvfbServer* sServer = nullptr;
    LilvHost mHost;
    Display* mX = nullptr;
    Window mParent = 0, mEditor = 0;
    SuilHost* mSuilHost = nullptr;
    SuilInstance* mInstance = nullptr;
    const LV2UI_Idle_Interface* mIdle = nullptr;
    LV2UI_Resize mResize{};
    LV2_Feature mParentFeature{}, mResizeFeature{}, mMapFeature{};
    std::vector<Written> mWritten;
    std::vector<std::pair<uint32_t, bool>> mTouches;
    std::pair<int, int> mSize{0, 0};
};

TEST_F(EditorInSuil, OpensInTheHostWindowAndAsksForTheModuleState) {
    EXPECT_EQ(mSize, std::make_pair(1080, 525));
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(mX, mEditor, &attributes));
    EXPECT_EQ(attributes.width, 1080);
    EXPECT_EQ(attributes.height, 525);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    XQueryTree(mX, mEditor, &root, &parent, &children, &n);
    if (children) XFree(children);
    EXPECT_EQ(parent, mParent);
    ASSERT_FALSE(mWritten.empty());
    EXPECT_EQ(mWritten.front().port, kEventsPort);
    EXPECT_EQ(mWritten.front().protocol, mHost.map(LV2_ATOM__eventTransfer));
    EXPECT_EQ(idle(), 0);
    // The panel is drawn: not one flat colour.
    const auto shown = pixels(0, 0, 1080, 525);
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(std::count(shown.begin(), shown.end(), shown.front()),
              static_cast<long>(shown.size()));
}

TEST_F(EditorInSuil, DraggingAKnobWritesItsPortInsideAGesture) {
    idle();
    mWritten.clear();
    const ControlDef& knob = GetParamDef(kCutoff).control;
    const int x = knob.x + 20, y = knob.y + 20;
    mouse(ButtonPress, x, y);
    for (int step = 1; step <= 10; ++step) {
        mouse(MotionNotify, x, y + 6 * step);
        idle(1);
    }
    mouse(ButtonRelease, x, y + 60);
    idle(3);
    std::vector<float> cutoff;
    for (const Written& w : mWritten)
        if (w.port == kCutoff && w.protocol == 0) cutoff.push_back(w.value());
    ASSERT_FALSE(cutoff.empty());
    EXPECT_LT(cutoff.back(), 1.0f);
    ASSERT_GE(mTouches.size(), 2u);
    EXPECT_EQ(mTouches.front(), std::make_pair(static_cast<uint32_t>(kCutoff), true));
    EXPECT_EQ(mTouches.back(), std::make_pair(static_cast<uint32_t>(kCutoff), false));
    for (const Written& w : mWritten)
        EXPECT_TRUE(w.port == kCutoff) << w.port;
}

TEST_F(EditorInSuil, PortEventsMoveControlsWithoutEcho) {
    idle();
    const ControlDef& fader = GetParamDef(kVolume).control;
    const auto before = pixels(fader.x - 5, fader.y - 5, 30, 190);
    mWritten.clear();
    const float volume = 0.1f;
    suil_instance_port_event(mInstance, kVolume, sizeof volume, 0, &volume);
    idle();
    EXPECT_NE(pixels(fader.x - 5, fader.y - 5, 30, 190), before);
    EXPECT_TRUE(mWritten.empty());
}

TEST_F(EditorInSuil, KeyboardLightsTheNotesTheModulePlays) {
    idle();
    const auto before = pixels(0, 233, 1080, 60);
    struct {
        LV2_Atom atom;
        uint8_t midi[4];
    } note{{3, mHost.map(LV2_MIDI__MidiEvent)}, {0x90, 60, 100, 0}};
    sendToEditor(kNotifyPort, &note.atom);
    idle();
    const auto held = pixels(0, 233, 1080, 60);
    EXPECT_NE(held, before);
    note.midi[0] = 0x80;
    sendToEditor(kNotifyPort, &note.atom);
    idle();
    EXPECT_EQ(pixels(0, 233, 1080, 60), before);
}

TEST_F(EditorInSuil, ClosesWhenTheHostFreesIt) {
    EXPECT_EQ(idle(), 0);
    suil_instance_free(mInstance);
    mInstance = nullptr;
    XSync(mX, False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    XQueryTree(mX, mParent, &root, &parent, &children, &n);
    if (children) XFree(children);
    EXPECT_EQ(n, 0u);
}

} // namespace
