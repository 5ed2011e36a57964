// `karvelund screenshot --window` draws through a real X11 window (on a virtual server of its
// own here) and must show exactly what the in-memory editor shows.
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string RunCommand(const std::string& command, int* status) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
        output.append(buffer, n);
    *status = pclose(pipe);
    return output;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

TEST(ScreenshotWindow, ShowsWhatTheInMemoryEditorShowsAfterTheSameGestures) {
    kvtest::TempFolder temp;
    const std::string gestures =
        " --drag 182,203,182,163 --click 239,103 --click 100,35 --answer item:12 "
        "--click 100,35,right --answer text:Bright";
    int windowStatus = -1, memoryStatus = -1;
    const std::string windowOut = RunCommand("env -u DISPLAY " KARVELUND " screenshot --window" +
                                                 gestures + " " + temp.file("window.png"),
                                             &windowStatus);
    const std::string memoryOut = RunCommand(
        KARVELUND " screenshot" + gestures + " " + temp.file("memory.png"), &memoryStatus);
    ASSERT_EQ(windowStatus, 0) << windowOut;
    ASSERT_EQ(memoryStatus, 0) << memoryOut;
    EXPECT_EQ(windowOut, memoryOut);
    EXPECT_NE(windowOut.find("LFO Amount"), std::string::npos); // the drag did something
    const std::string picture = ReadFile(temp.file("window.png"));
    EXPECT_GT(picture.size(), 1000u);
    EXPECT_EQ(picture, ReadFile(temp.file("memory.png")));
}
