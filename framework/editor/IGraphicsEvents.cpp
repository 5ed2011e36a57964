// Hit testing, mouse capture, host gestures and the dispatch of mouse and key events.
#include "editor/IControl.h"
#include "editor/IGraphics.h"

#include "core/IPluginBase.h"

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver) {
    // A captured control keeps every event until the release, wherever the mouse is.
    if (mMouseCapture >= 0) return mMouseCapture;
    for (int i = NControls() - 1; i >= 0; --i) {
        IControl* control = GetControl(i);
        if (control->IsHidden()) continue;
        if (control->IsGrayed() && !(mouseOver && control->GetMOWhenGrayed())) continue;
        if (control->IsHit(x, y)) return i;
    }
    return -1;
}

// Host gestures are balanced: every Begin gets exactly one End for the same parameter, sent at
// the next release or before the next press begins another gesture. A press whose release
// never arrives (a menu that swallowed it) still ends its gesture, and a release over another
// control does not end a gesture that was never begun.
void IGraphics::BeginGesture(int paramIdx) {
    EndGesture();
    if (paramIdx < 0 || !mPlug) return;
    mPlug->BeginInformHostOfParamChange(paramIdx);
    mGestureParam = paramIdx;
}

void IGraphics::EndGesture() {
    if (mGestureParam < 0) return;
    const int paramIdx = mGestureParam;
    mGestureParam = -1;
    if (mPlug) mPlug->EndInformHostOfParamChange(paramIdx);
}

void IGraphics::PressControl(int controlIdx, int x, int y, IMouseMod* mod) {
    IControl* control = GetControl(controlIdx);
    mMouseCapture = controlIdx;
    mMouseX = x;
    mMouseY = y;
    BeginGesture(control->ParamIdx());
    control->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod) {
    ReleaseMouseCapture();
    EndGesture();
    const int c = GetMouseControlIdx(x, y, false);
    if (c >= 0) PressControl(c, x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod) {
    const int c = GetMouseControlIdx(x, y, false);
    ReleaseMouseCapture();
    if (c >= 0) GetControl(c)->OnMouseUp(x, y, mod);
    EndGesture();
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod) {
    if (mMouseCapture < 0) return;
    const int dX = x - mMouseX, dY = y - mMouseY;
    if (dX == 0 && dY == 0) return;
    mMouseX = x;
    mMouseY = y;
    if (IControl* control = GetControl(mMouseCapture)) control->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod) {
    ReleaseMouseCapture();
    EndGesture();
    const int c = GetMouseControlIdx(x, y, false);
    if (c < 0) return false;
    IControl* control = GetControl(c);
    if (control->MouseDblAsSingleClick()) {
        PressControl(c, x, y, mod);
        return true;
    }
    // The change a double click makes (back to the default) is a gesture too; the following
    // release ends it.
    BeginGesture(control->ParamIdx());
    control->OnMouseDblClick(x, y, mod);
    return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d) {
    const int c = GetMouseControlIdx(x, y, false);
    if (c >= 0) GetControl(c)->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod) {
    if (!mHandleMouseOver) return false;
    const int c = GetMouseControlIdx(x, y, true);
    if (c >= 0) {
        mMouseX = x;
        mMouseY = y;
        GetControl(c)->OnMouseOver(x, y, mod);
        if (mMouseOver >= 0 && mMouseOver != c) {
            if (IControl* previous = GetControl(mMouseOver)) previous->OnMouseOut();
        }
        mMouseOver = c;
    }
    return true;
}

void IGraphics::OnMouseOut() {
    for (int i = 0; i < NControls(); ++i)
        GetControl(i)->OnMouseOut();
    mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
    const int c = GetMouseControlIdx(x, y, false);
    // The background never takes keys.
    if (c >= 1) return GetControl(c)->OnKeyDown(x, y, key);
    if (mKeyCatcher) return mKeyCatcher->OnKeyDown(x, y, key);
    return false;
}

void IGraphics::ReleaseMouseCapture() {
    mMouseCapture = -1;
    mMouseX = -1;
    mMouseY = -1;
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y) {
    const int c = GetMouseControlIdx(x, y, false);
    mLastClickedParam = c > 0 ? GetControl(c)->ParamIdx() : -1;
    return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation() {
    const int paramIdx = mLastClickedParam;
    mLastClickedParam = -1;
    return paramIdx;
}
