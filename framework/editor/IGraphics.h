#pragma once

class IPluginBase;
class UTIL_String;

enum EFileAction { kFileOpen = 0, kFileSave = 1 };

// The editor surface of one plug-in instance. This declares what the plug-in base calls;
// the controls, drawing and platform operations join it in the editor library.
class IGraphics {
public:
    IGraphics(IPluginBase* plug, int w, int h, int fps = 0)
        : mPlug(plug), mWidth(w), mHeight(h), mFPS(fps < 1 ? 25 : fps) {}
    virtual ~IGraphics() = default;
    IGraphics(const IGraphics&) = delete;
    IGraphics& operator=(const IGraphics&) = delete;

    // A parameter value from the plug-in side (host automation, preset load, attach) for the
    // controls bound to paramIdx; value is normalised (0..1) when normalized is true, else in
    // the parameter's own units.
    virtual void SetParameterFromPlug(int /*paramIdx*/, double /*value*/, bool /*normalized*/) {}
    // Creates the off-screen drawing bitmaps.
    virtual void PrepDraw() {}

    // Open or save dialog: fills file with the chosen path (empty when cancelled) and may
    // update dir to the chosen folder. extensions is the accepted extension text ("kvp").
    virtual void PromptForFile(UTIL_String* file, EFileAction action, UTIL_String* dir,
                               const char* extensions) = 0;

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    int FPS() const { return mFPS; }
    IPluginBase* GetPlug() const { return mPlug; }

protected:
    IPluginBase* mPlug;
    int mWidth;
    int mHeight;
    int mFPS;
};
