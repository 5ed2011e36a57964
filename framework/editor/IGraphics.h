#pragma once

#include "core/IPluginBase.h"
#include "core/IPluginEditor.h"
#include "editor/IGraphicsStructs.h"
#include "util/UTIL_PtrList.h"

#include <memory>

class IPluginBase;
class IParam;
class IControl;
class IPopupMenu;
class UTIL_String;
class RAST_IBitmap;

// The editor of one plug-in instance: a fixed-size off-screen bitmap, the ordered list of
// controls drawn on it (index 0 is the background, the last one is on top), the dispatch of
// mouse and keyboard events to them, dirty tracking, the two-way link between parameters and
// the controls bound to them, and the drawing operations the controls use. Bitmaps and fonts
// are cached for the whole process.
//
// Abstract: a platform subclass supplies the window, the timer, menus, text fields, dialogs and
// image loading (the pure virtual platform operations below). The operations are implemented
// across IGraphics.cpp (life cycle, control list, parameter links, redraw), IGraphicsEvents.cpp,
// IGraphicsPrompts.cpp, IGraphicsBitmaps.cpp, IGraphicsDraw.cpp and IGraphicsText.cpp.
class IGraphics : public IPluginEditor {
public:
    IGraphics(IPluginBase* plug, int w, int h, int fps = 0);
    IGraphics(const IGraphics&) = delete;
    IGraphics& operator=(const IGraphics&) = delete;

    // ---- Platform operations, with the implemented virtuals among them ----
    // Puts rectangle r of the drawing bitmap on screen; Draw returns the result.
    virtual bool DrawScreen(IRECT* r) = 0;
    // Sets r to the extent of str in the style (see DrawIText).
    virtual bool MeasureIText(IText* text, const char* str, IRECT* r);
    // Closes an open text-entry field without applying it.
    virtual void ForceEndUserEdit() = 0;
    // Changes the size: drops the mouse capture, deletes every control, remakes the drawing
    // bitmaps and tells the plug-in. The caller attaches the controls again.
    virtual void Resize(int w, int h);
    virtual bool WindowIsOpen();
    virtual void* GetGUIAPI();
    // A modal message (EMessageBoxType); returns the EMessageBoxResult of the button chosen.
    virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
    // Shows the menu at the rectangle and waits. On a choice the menu (or submenu) holding the
    // chosen item records it (SetChosenItemIdx) and is returned; null when dismissed or when
    // no window is open. Drops the mouse capture first.
    virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* textRect) = 0;
    // Opens an editable field over the rectangle holding str, at most the control's text-entry
    // length. The confirmed text goes to SetFromStringAfterPrompt (control, param, text) when
    // param is given, else to the control's TextFromTextEntry.
    virtual void CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str,
                                 IParam* param) = 0;
    virtual void HostPath(UTIL_String* path) = 0;
    virtual void PluginPath(UTIL_String* path) = 0;
    virtual void DesktopPath(UTIL_String* path) = 0;
    virtual void AppSupportPath(UTIL_String* path) = 0;
    // Open or save dialog: fills file with the chosen path (empty when cancelled) and may
    // update dir to the chosen folder. extensions is the accepted extension text ("kvp").
    virtual void PromptForFile(UTIL_String* file, EFileAction action, UTIL_String* dir,
                               const char* extensions) = 0;
    // Colour picker; true when a colour was chosen (then stored in color).
    virtual bool PromptForColor(IColor* color, const char* prompt) = 0;
    // Opens the address in the browser (or a file path with its application); true on success.
    virtual bool OpenURL(const char* url, const char* windowTitle = nullptr,
                         const char* confirmMessage = nullptr,
                         const char* errorMessage = nullptr) = 0;
    // Creates the view inside the host's parent view and starts the redraw timer.
    virtual void* OpenWindow(void* parent) = 0;
    virtual void* OpenWindow(void* /*window*/, void* /*control*/, short /*leftOffset*/,
                             short /*topOffset*/) {
        return nullptr;
    }
    virtual void AttachSubWindow(void* /*window*/) {}
    virtual void RemoveSubWindow() {}
    virtual void CloseWindow() = 0;
    virtual void* GetWindow() = 0;
    ~IGraphics() override;
    virtual void HideMouseCursor() {}
    virtual void ShowMouseCursor() {}
    virtual void UpdateTooltips() = 0;
    // Loads an image file; a new raster bitmap owned by the caller, or null.
    virtual RAST_IBitmap* OSLoadBitmap(int id, const char* name) = 0;
    // The image of name drawn at scale times its size (the art for high-density screens), or
    // null when there is none; the editor then enlarges the ordinary image itself.
    virtual RAST_IBitmap* OSLoadScaledBitmap(int /*id*/, const char* /*name*/, int /*scale*/) {
        return nullptr;
    }

    // A parameter value from the plug-in side (host automation, preset load, attach) for the
    // controls bound to paramIdx; value is normalised (0..1) when normalized is true, else in
    // the parameter's own units.
    void SetParameterFromPlug(int paramIdx, double value, bool normalized) override;
    void PromptForPresetFile(UTIL_String* fileName, bool save, UTIL_String* dir,
                             const char* extension) override;
    // Creates the off-screen drawing bitmaps.
    void PrepDraw() override;

    // ---- Size and state ----
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    int FPS() const { return mFPS; }
    IPluginBase* GetPlug() const { return mPlug; }
    bool TooltipsEnabled() const { return mEnableTooltips; }
    void EnableTooltips(bool enable) { mEnableTooltips = enable; }
    void HandleMouseOver(bool handle) { mHandleMouseOver = handle; }
    void ShowControlBounds(bool show) { mShowControlBounds = show; }
    // Pixels per editor unit of the drawing bitmap: 1, or 2 for high-density screens. Controls
    // and events keep editor units; the drawing operations draw scale times finer, with the
    // scaled images. Remakes the drawing bitmap and marks every control dirty.
    void SetDrawScale(int scale);
    int DrawScale() const { return mDrawScale; }
    // The pixels of the drawing bitmap (null before PrepDraw).
    RAST_pixel* GetBits();
    RAST_IBitmap* GetDrawBitmap() const { return mDrawBitmap.get(); }
    // The rectangle being redrawn; every drawing operation is limited to it.
    const IRECT& GetDrawRECT() const { return mDrawRECT; }

    // ---- Control list ----
    // Loads the image and puts an opaque bitmap control showing it at index 0.
    void AttachBackground(int id, const char* name);
    void AttachPanelBackground(const IColor* color);
    // Takes ownership; returns the control's index.
    int AttachControl(IControl* control);
    // Takes ownership of the control that receives key presses no control under the mouse takes.
    void AttachKeyCatcher(IControl* control);
    int NControls() const { return mControls.GetSize(); }
    // The control at idx, or null.
    IControl* GetControl(int idx) const { return mControls.Get(idx); }

    // ---- Bitmaps (process-wide cache keyed by id) ----
    // The cached image of id, loading it on first use. An image that cannot be loaded is
    // reported once on standard error and replaced by a visible placeholder.
    IBitmap LoadIBitmap(int id, const char* name, int nStates = 1,
                        bool framesAreHorizontal = false);
    // Hands the raster bitmap to the cache, which deletes it at process exit.
    void RetainBitmap(IBitmap* bitmap);
    // Removes the raster bitmap from the cache and deletes it.
    void ReleaseBitmap(IBitmap* bitmap);
    // A w x h copy (bilinear), kept by the cache.
    IBitmap ScaleBitmap(IBitmap* bitmap, int w, int h);
    // A copy of the area r, kept by the cache.
    IBitmap CropBitmap(IBitmap* bitmap, IRECT* r);

    // ---- Parameter <-> control links ----
    void SetControlFromPlug(int controlIdx, double normalizedValue);
    void SetParameterFromGUI(int paramIdx, double normalizedValue);
    void HideControl(int paramIdx, bool hide);
    void GrayOutControl(int paramIdx, bool gray);
    void ClampControl(int paramIdx, double lo, double hi, bool normalized);
    void SetAllControlsDirty();
    void SetStrictDrawing(bool strict);

    // ---- Redraw (called by the platform) ----
    // Adds the rectangle of every dirty control to *r; true when any was dirty.
    bool IsDirty(IRECT* r);
    // Redraws into the drawing bitmap, then DrawScreen (r).
    bool Draw(IRECT* r);
    void OnGUIIdle();

    // ---- Input (called by the platform, editor coordinates) ----
    int GetMouseControlIdx(int x, int y, bool mouseOver = false);
    void OnMouseDown(int x, int y, IMouseMod* mod);
    void OnMouseUp(int x, int y, IMouseMod* mod);
    void OnMouseDrag(int x, int y, IMouseMod* mod);
    // True when the control took the double click as a press.
    bool OnMouseDblClick(int x, int y, IMouseMod* mod);
    void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
    bool OnMouseOver(int x, int y, IMouseMod* mod);
    void OnMouseOut();
    bool OnKeyDown(int x, int y, int key);
    void ReleaseMouseCapture();
    int GetMouseCapture() const { return mMouseCapture; }
    int GetMouseOver() const { return mMouseOver; }
    int GetParamIdxForPTAutomation(int x, int y);
    int GetLastClickedParamForPTAutomation();

    // ---- Prompts ----
    // A menu of the parameter's display texts (enumerations, and booleans with texts) or a
    // text-entry field holding its value.
    void PromptUserInput(IControl* control, IParam* param, IRECT* textRect);
    // Applies the text of a finished text entry to the parameter through the control.
    void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text);

    // ---- Drawing (clipped to the redraw rectangle) ----
    // Frames count from 1; frame 0 and 1 both draw the first one.
    bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame = 1,
                    const IChannelBlend* blend = nullptr);
    bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                    const IChannelBlend* blend = nullptr);
    // The whole bitmap rotated (bilinear) by angle radians about its centre, placed at
    // (centreX, centreY); yOffsetZeroDeg moves the rotation centre down the source.
    bool DrawRotatedBitmap(IBitmap* bitmap, int centreX, int centreY, double angle,
                           int yOffsetZeroDeg = 0, const IChannelBlend* blend = nullptr);
    // base with its alpha replaced by mask rotated by angleDegrees, top rotated over it.
    bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y,
                         double angleDegrees, const IChannelBlend* blend = nullptr);
    bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr,
                   bool antiAlias = false);
    // Stores the colour into the pixel without blending; nothing outside the bitmap.
    bool ForcePixel(const IColor* color, int x, int y);
    // The colour at (x, y); transparent outside the bitmap.
    IColor GetPoint(int x, int y);
    bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
    bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
                 const IChannelBlend* blend = nullptr, bool antiAlias = false);
    bool DrawCircle(const IColor* color, float cx, float cy, float r,
                    const IChannelBlend* blend = nullptr, bool antiAlias = false);
    bool FillCircle(const IColor* color, int cx, int cy, float r,
                    const IChannelBlend* blend = nullptr, bool antiAlias = false);
    bool RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius,
                   bool antiAlias);
    bool FillRoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius,
                       bool antiAlias);
    bool FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend = nullptr);
    bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                      const IChannelBlend* blend = nullptr);
    bool FillIConvexPolygon(const IColor* color, const int* xs, const int* ys, int n,
                            const IChannelBlend* blend = nullptr);
    bool DrawVerticalLine(const IColor* color, int x, int yLo, int yHi);
    bool DrawHorizontalLine(const IColor* color, int y, int xLo, int xHi);
    // At fraction x (0..1, clamped) of r's width, from top to bottom.
    bool DrawVerticalLine(const IColor* color, IRECT* r, float x);
    // At fraction y (0..1, clamped) of r's height counted from the bottom.
    bool DrawHorizontalLine(const IColor* color, IRECT* r, float y);
    bool DrawRect(const IColor* color, IRECT* r);
    // From radius rMin to rMax along angle radians (0 points up, growing clockwise).
    bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin,
                        float rMax, const IChannelBlend* blend = nullptr, bool antiAlias = false);
    // Draws str in the style within r, or with measure adjusts r to the text's extent. False
    // only when no font can be made.
    bool DrawIText(IText* text, const char* str, IRECT* r, bool measure = false);
    // The style's font, made and cached on first use; null on failure.
    RAST_CachedFont* CacheFont(IText* text);

protected:
    // Ends the host gesture that a press on a bound control began, if one is open.
    void EndGesture();

    UTIL_PtrList<IControl> mControls;
    IPluginBase* mPlug;
    IRECT mDrawRECT;
    bool mCursorHidden = false;
    int mHiddenMouseX = -1, mHiddenMouseY = -1;
    std::unique_ptr<RAST_IBitmap> mDrawBitmap;
    std::unique_ptr<RAST_IBitmap> mTmpBitmap;
    std::unique_ptr<RAST_IBitmap> mLineBitmap; // scratch for sloped lines that cross the clip
    int mWidth;
    int mHeight;
    int mFPS;
    int mDrawScale = 1;
    int mMouseCapture = -1;
    int mMouseOver = -1;
    int mMouseX = 0, mMouseY = 0;
    int mLastClickedParam = -1;
    bool mHandleMouseOver = false;
    bool mStrict = true;
    bool mEnableTooltips = false;
    bool mShowControlBounds = false;
    std::unique_ptr<IControl> mKeyCatcher;

private:
    void BeginGesture(int paramIdx);
    void PressControl(int controlIdx, int x, int y, IMouseMod* mod);
    void DrawStrict(const IRECT& r);
    void DrawDirtyControls();
    // The cached image of id, or the loaded one added to the cache, or a placeholder (as big
    // as the editor for a background).
    RAST_IBitmap* FindOrLoadBitmap(int id, const char* name, int nStates, bool horizontal,
                                   bool background);
    // The pixels to draw for bitmap at the drawing scale: its own at scale 1, else the
    // high-density art (or an enlarged copy), cached with it.
    RAST_IBitmap* AtDrawScale(const IBitmap* bitmap);

    int mGestureParam = -1; // parameter whose host gesture is open
};
