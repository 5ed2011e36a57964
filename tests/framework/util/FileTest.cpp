#include "util/UTIL_File.h"

#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvfileXXXXXX").string();
        mPath = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(mPath); }
    std::string File(const char* name) const { return mPath + "/" + name; }
    int CountEntries() const {
        int n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(mPath))
            ++n;
        return n;
    }

private:
    std::string mPath;
};

} // namespace

TEST(UtilFile, WriteThenReadGivesTheSameBytes) {
    TempDir dir;
    const std::string path = dir.File("a.kvb");
    const unsigned char bytes[] = {0, 1, 2, 250, 255};
    ASSERT_TRUE(UTIL_WriteFileReplacing(path.c_str(), bytes, sizeof(bytes)));
    std::vector<unsigned char> back;
    ASSERT_TRUE(UTIL_ReadFile(path.c_str(), &back, 1024));
    EXPECT_EQ(back, std::vector<unsigned char>(bytes, bytes + sizeof(bytes)));
    EXPECT_EQ(dir.CountEntries(), 1); // no temporary file left behind
}

TEST(UtilFile, ReplacingOverwritesAnEarlierFile) {
    TempDir dir;
    const std::string path = dir.File("a.kvp");
    const unsigned char first[] = {1, 2, 3, 4, 5, 6};
    const unsigned char second[] = {9};
    ASSERT_TRUE(UTIL_WriteFileReplacing(path.c_str(), first, sizeof(first)));
    ASSERT_TRUE(UTIL_WriteFileReplacing(path.c_str(), second, sizeof(second)));
    std::vector<unsigned char> back;
    ASSERT_TRUE(UTIL_ReadFile(path.c_str(), &back, 1024));
    EXPECT_EQ(back, std::vector<unsigned char>({9}));
}

TEST(UtilFile, FailedWriteLeavesNothing) {
    TempDir dir;
    const unsigned char bytes[] = {1};
    EXPECT_FALSE(UTIL_WriteFileReplacing(dir.File("missing/x.kvb").c_str(), bytes, 1));
    EXPECT_FALSE(UTIL_WriteFileReplacing("", bytes, 1));
    EXPECT_FALSE(UTIL_WriteFileReplacing(nullptr, bytes, 1));
    // Renaming over a folder fails; the temporary file must be removed again.
    ASSERT_EQ(::mkdir(dir.File("folder").c_str(), 0755), 0);
    EXPECT_FALSE(UTIL_WriteFileReplacing(dir.File("folder").c_str(), bytes, 1));
    EXPECT_EQ(dir.CountEntries(), 1);
}

TEST(UtilFile, ReadRefusesMissingOversizedAndSpecialFiles) {
    TempDir dir;
    std::vector<unsigned char> back{7};
    EXPECT_FALSE(UTIL_ReadFile(dir.File("none").c_str(), &back, 1024));
    EXPECT_TRUE(back.empty());
    EXPECT_FALSE(UTIL_ReadFile(nullptr, &back, 1024));
    EXPECT_FALSE(UTIL_ReadFile("/dev/zero", &back, 1024));          // not a regular file
    EXPECT_FALSE(UTIL_ReadFile(dir.File("").c_str(), &back, 1024)); // a folder

    const unsigned char bytes[10] = {};
    const std::string path = dir.File("big");
    ASSERT_TRUE(UTIL_WriteFileReplacing(path.c_str(), bytes, sizeof(bytes)));
    EXPECT_FALSE(UTIL_ReadFile(path.c_str(), &back, 9));
    EXPECT_TRUE(back.empty());
    EXPECT_TRUE(UTIL_ReadFile(path.c_str(), &back, 10));
    EXPECT_EQ(back.size(), 10u);
}

TEST(UtilFile, ReadRefusesAFifoWithoutBlocking) {
    TempDir dir;
    const std::string path = dir.File("fifo");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    std::vector<unsigned char> back;
    EXPECT_FALSE(UTIL_ReadFile(path.c_str(), &back, 1024));
}
