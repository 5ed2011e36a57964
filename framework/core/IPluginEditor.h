#pragma once

class UTIL_String;

// What the plug-in base asks of its editor. The editor surface (IGraphics) implements it, so the
// core never depends on the editor toolkit.
class IPluginEditor {
public:
    virtual ~IPluginEditor() = default;

    // Shows a parameter's value on its controls without reporting it back to the plug-in.
    virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
    // Gets ready to draw once every control has its value.
    virtual void PrepDraw() = 0;
    // Asks the user for a program or bank file to open or save, starting in dir; fileName is
    // left empty when the user cancels.
    virtual void PromptForPresetFile(UTIL_String* fileName, bool save, UTIL_String* dir,
                                     const char* extension) = 0;
};
