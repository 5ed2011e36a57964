#pragma once
// A fresh, empty folder for one test, removed with everything in it afterwards.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kvtest {

class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::path(testing::TempDir()) / "kvtest-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) mPath = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!mPath.empty()) std::filesystem::remove_all(mPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const { return (mPath / name).string(); }
    // Names of everything in the folder.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(mPath)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

private:
    std::filesystem::path mPath;
};

} // namespace kvtest
