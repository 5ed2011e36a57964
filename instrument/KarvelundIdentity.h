#pragma once

// The instrument's fixed identity.
namespace karvelund {

inline constexpr const char* kEffectName = "Karvelund";
inline constexpr const char* kProductName = "";
inline constexpr const char* kMfrName = "ZerlindaAudio";
inline constexpr int kVersion = 0x10103; // 1.1.3
inline constexpr int kUniqueID = ('K' << 24) | ('v' << 16) | ('r' << 8) | 'n';
inline constexpr int kMfrID = ('Z' << 24) | ('r' << 16) | ('l' << 8) | 'd';
inline constexpr const char* kChannelIO = "0-1 0-2";
inline constexpr int kNumPresets = 64;
inline constexpr const char* kBundleID = "com.ZerlindaAudio.audiounit.Karvelund";
inline constexpr const char* kViewFactoryClassName = "Karvelund_View";

inline constexpr int kEditorWidth = 1080;
inline constexpr int kEditorHeight = 525;

// The factory bank: its file name, and the folder of the per-user copy that "Save Preset
// Changes..." writes, relative to the user's data folder.
inline constexpr const char* kFactoryBankFileName = "KarvelundFactoryPreset1.kvb";
inline constexpr const char* kFactoryBankUserFolder = "Zerlinda Audio/Karvelund";

} // namespace karvelund
