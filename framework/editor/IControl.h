#pragma once

#include "editor/IGraphicsStructs.h"

#include <atomic>
#include <vector>

class IPluginBase;
class IGraphics;
class ITextControl;

// Base of everything placed on the editor surface: a rectangle that draws itself, reacts to
// mouse and keyboard events and, when bound to a parameter, carries its normalised value
// (0..1) both ways. User edits end in SetDirty (true), which sends the value to the plug-in;
// plug-in updates come through SetValueFromPlug and send nothing back.
class IControl {
public:
    struct AuxParam {
        double mValue = 0.0;
        int mParamIdx = -1;
    };

    IControl(IPluginBase* plug, IRECT rect, int paramIdx = -1,
             IChannelBlend blend = IChannelBlend(kBlendAlpha, 1.0f));
    IControl(const IControl&) = delete;
    IControl& operator=(const IControl&) = delete;

    // ---- Virtual operations, in slot order ----
    virtual ~IControl() = default;
    // Default: a right-button press prompts for the value.
    virtual void OnMouseDown(int x, int y, IMouseMod* mod);
    virtual void OnMouseUp(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {}
    virtual void OnMouseDrag(int /*x*/, int /*y*/, int /*dX*/, int /*dY*/, IMouseMod* /*mod*/) {}
    // Default: back to the first value the plug-in sent.
    virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
    // Default: 0.05 per step, 0.01 with Control or Shift.
    virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
    virtual bool OnKeyDown(int /*x*/, int /*y*/, int /*key*/) { return false; }
    virtual void OnMouseOver(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {}
    virtual void OnMouseOut() {}
    virtual bool Draw(IGraphics* graphics) = 0;
    // The value from the plug-in; the first one also becomes the double-click default.
    virtual void SetValueFromPlug(double value);
    virtual void TextFromTextEntry(const char* /*text*/) {}
    virtual void Hide(bool hide);
    virtual void GrayOut(bool gray);
    virtual bool IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }
    // Clamps the value to the clamp range and marks the control for drawing; with
    // pushParamToPlug the value goes to the plug-in and the display controls.
    virtual void SetDirty(bool pushParamToPlug = true);
    // Takes the dirty mark before the control is drawn: a mark made while it draws (from the
    // plug-in's side, on another thread) survives for the next pass.
    virtual void SetClean();
    virtual bool IsDirty() { return mDirty; }
    virtual void OnGUIIdle() {}
    virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);

    // ---- State ----
    int ParamIdx() const { return mParamIdx; }
    IRECT* GetRECT() { return &mRECT; }
    IRECT* GetTargetRECT() { return &mTargetRECT; }
    void SetTargetArea(IRECT r) { mTargetRECT = r; }
    IText* GetText() { return &mText; }
    void SetText(const IText& text) { mText = text; }
    int GetTextEntryLength() const { return mTextEntryLength; }
    void SetTextEntryLength(int len) { mTextEntryLength = len; }
    double GetValue() const { return mValue; }
    double GetDefaultValue() const { return mDefaultValue; }
    const IChannelBlend* GetBlend() const { return &mBlend; }
    bool IsHidden() const { return mHide; }
    bool IsGrayed() const { return mGrayed; }
    bool MouseDblAsSingleClick() const { return mDblAsSingleClick; }
    bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
    const char* GetTooltip() const { return mTooltip; }
    void SetTooltip(const char* tooltip) { mTooltip = tooltip; }
    void Clamp(double lo, double hi) { mClampLo = lo, mClampHi = hi; }
    // Keeps the control dirty for one more drawing pass.
    void Redraw() { mRedraw = true; }
    // A user edit: takes the value when it differs, sends it and redraws.
    void SetValueFromUserInput(double value);
    // Text controls that show the parameter's value text or name after every user edit.
    void SetValDisplayControl(ITextControl* control) { mValDisplayControl = control; }
    void SetNameDisplayControl(ITextControl* control) { mNameDisplayControl = control; }

    // ---- Prompts (only when bound to a parameter and prompts are enabled) ----
    // A menu of the parameter's texts at the control, or a small text field at its centre.
    void PromptUserInput();
    void PromptUserInput(IRECT* textRect);

    // ---- Further bound parameters ----
    // A negative parameter index is refused.
    void AddAuxParam(int paramIdx);
    int NAuxParams() const { return static_cast<int>(mAuxParams.size()); }
    // The aux parameter at idx, or null.
    AuxParam* GetAuxParam(int idx);
    // Index of the first aux parameter bound to paramIdx, or -1.
    int AuxParamIdx(int paramIdx) const;
    // Sends every aux parameter's value to the plug-in.
    void SetAllAuxParamsFromGUI();

    // ---- Surface ----
    // The surface this control was attached to (else the plug-in's editor), or null.
    IGraphics* GetGUI() const;
    void SetGUI(IGraphics* graphics) { mGraphics = graphics; }
    IPluginBase* GetPlug() const { return mPlug; }

protected:
    int mTextEntryLength = 7;
    IText mText;
    IPluginBase* mPlug;
    IRECT mRECT;
    IRECT mTargetRECT;
    int mParamIdx;
    std::vector<AuxParam> mAuxParams;
    // The plug-in side may set the value and the marks from a host thread while the editor
    // draws, so they are atomic.
    std::atomic<double> mValue = 0.0;
    double mDefaultValue = -1.0;
    double mClampLo = 0.0, mClampHi = 1.0;
    std::atomic<bool> mDirty = true;
    bool mHide = false;
    bool mGrayed = false;
    std::atomic<bool> mRedraw = false;
    bool mDisablePrompt = true;
    bool mDblAsSingleClick = false;
    bool mMOWhenGrayed = false;
    IChannelBlend mBlend;
    ITextControl* mValDisplayControl = nullptr;
    ITextControl* mNameDisplayControl = nullptr;
    const char* mTooltip = nullptr;

private:
    void UpdateDisplayControls();

    IGraphics* mGraphics = nullptr;
};

// The frame (1..n) of an n-frame bitmap nearest to a normalised value.
int FrameForValue(double value, int nFrames);
