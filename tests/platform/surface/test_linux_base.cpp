// What every Linux surface shares: images by name from the resource folder, the user's
// folders and opening addresses.
#include "EditorTestKit.h"
#include "editor/IActionControls.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace kvtest;

namespace {

std::string ProgramFolder() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    const std::string path(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    return path.substr(0, path.rfind('/'));
}

void WriteImage(const std::string& file, int w, int h, RAST_pixel colour) {
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    RAST_MemBitmap image(w, h);
    RAST_FillRect(&image, 0, 0, w, h, colour, 1.0f, RAST_BLIT_MODE_COPY);
    ASSERT_TRUE(RAST_WritePNG(file.c_str(), &image));
}

// Sets an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : mName(name) {
        if (const char* old = std::getenv(name)) mOld = old, mHadValue = true;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (mHadValue)
            setenv(mName.c_str(), mOld.c_str(), 1);
        else
            unsetenv(mName.c_str());
    }

private:
    std::string mName, mOld;
    bool mHadValue = false;
};

// The contents of file once it exists (the opener runs detached), or "" after two seconds.
std::string WaitForFile(const std::string& file) {
    for (int i = 0; i < 200; ++i) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        if (in && !text.str().empty() && text.str().back() == '\n') return text.str();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
}

} // namespace

class LinuxBaseTest : public EditorTest {
protected:
    LinuxBaseTest() { mGui->SetResourceFolder(mFolder.Path().c_str()); }
    TempFolder mFolder;
};

TEST_F(LinuxBaseTest, ResourceNamesAreFoundInTheResourceFolder) {
    WriteImage(mFolder.File("img/knob.png"), 4, 4, FrameColour(0));
    WriteImage(mFolder.File("about.png"), 4, 4, FrameColour(1));
    UTIL_String path;
    EXPECT_TRUE(mGui->FindResourceFile("resources/img/knob.png", &path));
    EXPECT_EQ(std::string(path.Get()), mFolder.File("img/knob.png"));
    EXPECT_TRUE(mGui->FindResourceFile("knob.png", &path)); // by file name, under img/
    EXPECT_EQ(std::string(path.Get()), mFolder.File("img/knob.png"));
    EXPECT_TRUE(mGui->FindResourceFile("resources/img/about.png", &path));
    EXPECT_EQ(std::string(path.Get()), mFolder.File("about.png"));
    EXPECT_TRUE(mGui->FindResourceFile(mFolder.File("about.png").c_str(), &path));
    EXPECT_FALSE(mGui->FindResourceFile("resources/img/wk.png", &path));
    EXPECT_STREQ(path.Get(), "");
    EXPECT_FALSE(mGui->FindResourceFile("resources/img", &path)); // a folder is no image
    EXPECT_FALSE(mGui->FindResourceFile(nullptr, &path));
}

TEST_F(LinuxBaseTest, OnlyPNGImagesAreLoaded) {
    WriteImage(mFolder.File("img/knob.png"), 6, 9, FrameColour(2));
    WriteImage(mFolder.File("img/slider.PNG"), 3, 3, FrameColour(3));
    WriteImage(mFolder.File("img/toggle.jpg"), 3, 3, FrameColour(3));
    std::ofstream(mFolder.File("img/broken.png")) << "not a png";
    std::unique_ptr<RAST_IBitmap> knob(mGui->OSLoadBitmap(101, "resources/img/knob.png"));
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->getWidth(), 6);
    EXPECT_EQ(RAST_GetPixel(knob.get(), 5, 8), FrameColour(2));
    std::unique_ptr<RAST_IBitmap> slider(mGui->OSLoadBitmap(114, "resources/img/slider.PNG"));
    EXPECT_NE(slider, nullptr);
    EXPECT_EQ(mGui->OSLoadBitmap(106, "resources/img/toggle.jpg"), nullptr);
    EXPECT_EQ(mGui->OSLoadBitmap(107, "resources/img/broken.png"), nullptr);
    EXPECT_EQ(mGui->OSLoadBitmap(108, nullptr), nullptr);
}

TEST_F(LinuxBaseTest, LoadedImagesReachTheControls) {
    WriteImage(mFolder.File("img/cache-test-knob.png"), 10, 30, FrameColour(4));
    IBitmap knob = mGui->LoadIBitmap(7501, "resources/img/cache-test-knob.png", 3);
    EXPECT_EQ(knob.W, 10);
    EXPECT_EQ(IRECT(5, 5, &knob), IRECT(5, 5, 15, 15));
    testing::internal::CaptureStderr();
    mGui->LoadIBitmap(7502, "resources/img/broken-or-missing.png");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("broken-or-missing.png"),
              std::string::npos);
}

TEST(LinuxBaseDefaults, ResourcesAreLookedUpBesideTheProgram) {
    EditorTestPlug plug;
    IGraphicsHeadless gui(&plug, 10, 10, 0);
    EXPECT_EQ(std::string(gui.GetResourceFolder()), ProgramFolder() + "/resources");
    UTIL_String path;
    gui.HostPath(&path);
    EXPECT_EQ(std::string(path.Get()).substr(0, ProgramFolder().size()), ProgramFolder());
    gui.PluginPath(&path);
    EXPECT_EQ(std::string(path.Get()), ProgramFolder() + "/");
    // The build keeps a copy of the instrument's resources there.
    const auto source = std::filesystem::path(PROJECT_SOURCE_DIR) / "instrument/resources";
    if (std::filesystem::exists(source)) {
        EXPECT_TRUE(std::filesystem::is_directory(gui.GetResourceFolder()));
    }
}

TEST(LinuxBaseDefaults, UserFolders) {
    EditorTestPlug plug;
    IGraphicsHeadless gui(&plug, 10, 10, 0);
    UTIL_String path;
    {
        ScopedEnv home("HOME", "/home/someone");
        ScopedEnv desktop("XDG_DESKTOP_DIR", nullptr);
        ScopedEnv data("XDG_DATA_HOME", "relative/ignored");
        gui.DesktopPath(&path);
        EXPECT_STREQ(path.Get(), "/home/someone/Desktop");
        gui.AppSupportPath(&path);
        EXPECT_STREQ(path.Get(), "/home/someone/.local/share");
    }
    ScopedEnv desktop("XDG_DESKTOP_DIR", "/srv/desk");
    ScopedEnv data("XDG_DATA_HOME", "/srv/data");
    gui.DesktopPath(&path);
    EXPECT_STREQ(path.Get(), "/srv/desk");
    gui.AppSupportPath(&path);
    EXPECT_STREQ(path.Get(), "/srv/data");
}

class OpenURLTest : public LinuxBaseTest {
protected:
    OpenURLTest() {
        // An opener that writes its arguments, one per line, to a file.
        mOpener = mFolder.File("opener");
        std::ofstream(mOpener) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \""
                               << mFolder.File("opened") << "\"; done\n";
        chmod(mOpener.c_str(), 0755);
        mGui->SetURLOpener(mOpener.c_str());
    }
    std::string mOpener;
};

TEST_F(OpenURLTest, TheAddressIsPassedAsItIs) {
    const char* url = "https://example.invalid/a b;$(touch pwned)&c='d'";
    EXPECT_TRUE(mGui->OpenURL(url));
    EXPECT_EQ(WaitForFile(mFolder.File("opened")), std::string(url) + "\n");
    EXPECT_FALSE(std::filesystem::exists("pwned"));
}

TEST_F(OpenURLTest, OptionsEmptyAddressesAndMissingOpenersAreRefused) {
    EXPECT_FALSE(mGui->OpenURL("--help"));
    EXPECT_FALSE(mGui->OpenURL(""));
    EXPECT_FALSE(mGui->OpenURL(nullptr));
    mGui->SetURLOpener(mFolder.File("no-such-opener").c_str());
    EXPECT_FALSE(mGui->OpenURL("https://example.invalid/"));
    mGui->SetURLOpener("no-such-opener-on-the-path");
    EXPECT_FALSE(mGui->OpenURL("https://example.invalid/"));
}

TEST_F(OpenURLTest, URLControlFallsBackToItsSecondAddress) {
    mGui->AttachControl(new IURLControl(mPlug.get(), IRECT(0, 0, 20, 20), "", "file:///backup"));
    mGui->Click(5, 5);
    EXPECT_EQ(WaitForFile(mFolder.File("opened")), "file:///backup\n");
}
