#pragma once

#include <AUSDKHost.h>

#include <string>

// A component bundle loaded the way the platform loads one: its Info.plist is read, its
// executable opened with dlopen, and the component named in its AudioComponents entry
// registered with the Component Manager.
class AUHostBundle {
public:
    AUHostBundle() = default;
    ~AUHostBundle();
    AUHostBundle(const AUHostBundle&) = delete;
    AUHostBundle& operator=(const AUHostBundle&) = delete;

    // False with a one-line message when the bundle cannot be used.
    bool Load(const std::string& path, std::string& error);

    Component GetComponent() const { return mComponent; }
    const ComponentDescription& GetDescription() const { return mDescription; }
    ComponentRoutine GetEntry() const { return mEntry; }
    ComponentRoutine GetViewEntry() const { return mViewEntry; }
    const std::string& GetName() const { return mName; }
    const std::string& GetIdentifier() const { return mIdentifier; }
    const std::string& GetPath() const { return mPath; }
    int GetVersion() const { return mVersion; }

private:
    std::string mPath;
    std::string mName;
    std::string mIdentifier;
    int mVersion = 0;
    void* mLibrary = nullptr;
    CFBundleRef mBundle = nullptr;
    ComponentDescription mDescription = {};
    ComponentRoutine mEntry = nullptr;
    ComponentRoutine mViewEntry = nullptr;
    Component mComponent = nullptr;
};

// "aumu" as the four-character code; false unless the text has exactly four characters.
bool FourCharCodeFromText(const std::string& text, OSType& code);
std::string TextFromFourCharCode(OSType code);
