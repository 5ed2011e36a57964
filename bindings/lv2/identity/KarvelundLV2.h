#pragma once

// The instrument's LV2 identity: URIs of the plug-in, its editor and its state, and the
// order of its ports. The module, its editor and the bundle generator share them.
namespace karvelund::lv2 {

inline constexpr const char* kPluginURI = "https://zerlinda.audio/plugins/karvelund";
inline constexpr const char* kUIURI = "https://zerlinda.audio/plugins/karvelund#ui";
inline constexpr const char* kBinary = "karvelund.so";
inline constexpr const char* kUIBinary = "karvelund_ui.so";

// State properties: the parameter state chunk, the current preset, the preset names.
inline constexpr const char* kStateParams = "https://zerlinda.audio/plugins/karvelund#params";
inline constexpr const char* kStatePreset = "https://zerlinda.audio/plugins/karvelund#preset";
inline constexpr const char* kStateNames = "https://zerlinda.audio/plugins/karvelund#presetNames";

// Messages between the editor and the audio module, as atom objects on the events (editor to
// module) and notify (module to editor) ports. An editor state object carries the three state
// properties above; the editor asks for one with a request object when it opens.
inline constexpr const char* kEditorState =
    "https://zerlinda.audio/plugins/karvelund#EditorState";
inline constexpr const char* kEditorRequest =
    "https://zerlinda.audio/plugins/karvelund#EditorRequest";

} // namespace karvelund::lv2

// Ports: one control input per parameter in parameter order, then these.
namespace lv2ports {
inline constexpr int kEventsIn = 0; // offsets after the control ports
inline constexpr int kNotifyOut = 1;
inline constexpr int kLeftOut = 2;
inline constexpr int kRightOut = 3;
inline constexpr int kCount = 4;
} // namespace lv2ports
