// The surface's life cycle, control list, parameter links and redraw.
#include "editor/IGraphics.h"

#include "core/IPluginBase.h"
#include "editor/IBitmapControls.h"
#include "editor/IControl.h"
#include "editor/IPanelControl.h"
#include "raster/raster.h"

IGraphics::IGraphics(IPluginBase* plug, int w, int h, int fps)
    : mControls(4096), mPlug(plug), mWidth(w), mHeight(h), mFPS(fps < 1 ? 25 : fps) {}

IGraphics::~IGraphics() {
    // No host gesture is ended here: the plug-in that would hear it is being destroyed.
    mKeyCatcher.reset();
    while (mControls.GetSize() > 0)
        mControls.Delete(mControls.GetSize() - 1);
}

void IGraphics::PrepDraw() {
    mDrawBitmap = std::make_unique<RAST_SysBitmap>(Width() * mDrawScale, Height() * mDrawScale);
    mTmpBitmap = std::make_unique<RAST_MemBitmap>(0, 0, 4);
}

void IGraphics::SetDrawScale(int scale) {
    scale = scale == 2 ? 2 : 1;
    if (scale == mDrawScale) return;
    mDrawScale = scale;
    mLineBitmap.reset();
    if (mDrawBitmap) PrepDraw();
    SetAllControlsDirty();
}

void IGraphics::Resize(int w, int h) {
    mWidth = w;
    mHeight = h;
    ReleaseMouseCapture();
    EndGesture();
    mMouseOver = -1;
    mControls.Empty();
    mDrawBitmap.reset();
    mTmpBitmap.reset();
    PrepDraw();
    if (mPlug) mPlug->ResizeGraphics(w, h);
}

bool IGraphics::WindowIsOpen() {
    return GetWindow() != nullptr;
}

void* IGraphics::GetGUIAPI() {
    static char none[] = "";
    return none;
}

RAST_pixel* IGraphics::GetBits() {
    return mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
}

void IGraphics::AttachBackground(int id, const char* name) {
    // A missing background image is replaced by a placeholder as big as the editor.
    RAST_IBitmap* image = FindOrLoadBitmap(id, name, 1, false, true);
    IBitmap bitmap(image, image->getWidth(), image->getHeight(), 1, false);
    IControl* background = new IBitmapControl(mPlug, 0, 0, -1, &bitmap, kBlendOpaque);
    background->SetGUI(this);
    mControls.Insert(0, background);
}

void IGraphics::AttachPanelBackground(const IColor* color) {
    IControl* background = new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color);
    background->SetGUI(this);
    mControls.Insert(0, background);
}

int IGraphics::AttachControl(IControl* control) {
    if (!control) return -1;
    control->SetGUI(this);
    mControls.Add(control);
    return mControls.GetSize() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* control) {
    if (control) control->SetGUI(this);
    mKeyCatcher.reset(control);
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
    if (!normalized) {
        const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
        if (!param) return;
        value = param->GetNormalized(value);
    }
    for (int i = 0; i < NControls(); ++i) {
        IControl* control = GetControl(i);
        if (control->ParamIdx() == paramIdx) control->SetValueFromPlug(value);
        const int auxIdx = control->AuxParamIdx(paramIdx);
        if (auxIdx > -1) control->SetAuxParamValueFromPlug(auxIdx, value);
    }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue) {
    if (IControl* control = GetControl(controlIdx)) control->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue) {
    for (int i = 0; i < NControls(); ++i) {
        IControl* control = GetControl(i);
        if (control->ParamIdx() == paramIdx) control->SetValueFromUserInput(normalizedValue);
    }
}

void IGraphics::HideControl(int paramIdx, bool hide) {
    for (int i = 0; i < NControls(); ++i) {
        if (GetControl(i)->ParamIdx() == paramIdx) GetControl(i)->Hide(hide);
    }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray) {
    for (int i = 0; i < NControls(); ++i) {
        if (GetControl(i)->ParamIdx() == paramIdx) GetControl(i)->GrayOut(gray);
    }
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized) {
    if (!normalized) {
        const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
        if (!param) return;
        lo = param->GetNormalized(lo);
        hi = param->GetNormalized(hi);
    }
    for (int i = 0; i < NControls(); ++i) {
        if (GetControl(i)->ParamIdx() == paramIdx) GetControl(i)->Clamp(lo, hi);
    }
}

void IGraphics::SetAllControlsDirty() {
    for (int i = 0; i < NControls(); ++i)
        GetControl(i)->SetDirty(false);
}

void IGraphics::SetStrictDrawing(bool strict) {
    mStrict = strict;
    SetAllControlsDirty();
}

bool IGraphics::IsDirty(IRECT* r) {
    bool dirty = false;
    for (int i = 0; i < NControls(); ++i) {
        IControl* control = GetControl(i);
        if (control->IsDirty()) {
            *r = r->Union(*control->GetRECT());
            dirty = true;
        }
    }
    return dirty;
}

bool IGraphics::Draw(IRECT* r) {
    if (NControls() == 0) return true;
    if (!mDrawBitmap || !r) return false;
    if (mStrict)
        DrawStrict(*r);
    else
        DrawDirtyControls();
    if (mShowControlBounds) {
        for (int i = 1; i < NControls(); ++i)
            DrawRect(&COLOR_GREEN, GetControl(i)->GetRECT());
    }
    return DrawScreen(r);
}

// A control outside r keeps its mark: it was clean when r was measured, so a mark it carries
// now was made since (from another thread) and is drawn on the next pass.
void IGraphics::DrawStrict(const IRECT& r) {
    mDrawRECT = r;
    for (int i = 0; i < NControls(); ++i) {
        IControl* control = GetControl(i);
        if (!control->GetRECT()->Intersects(r)) continue;
        control->SetClean();
        if (!control->IsHidden()) control->Draw(this);
    }
}

void IGraphics::DrawDirtyControls() {
    IControl* background = GetControl(0);
    if (background->IsDirty()) {
        mDrawRECT = *background->GetRECT();
        for (int i = 0; i < NControls(); ++i) {
            IControl* control = GetControl(i);
            if (i > 0 && control->IsHidden()) continue;
            control->SetClean();
            control->Draw(this);
        }
        return;
    }
    // Each dirty control repaints the controls that overlap it, in order; a hidden one only
    // repaints what lies beneath it.
    for (int i = 1; i < NControls(); ++i) {
        IControl* dirty = GetControl(i);
        if (!dirty->IsDirty()) continue;
        mDrawRECT = *dirty->GetRECT();
        dirty->SetClean();
        for (int j = 0; j < NControls(); ++j) {
            IControl* control = GetControl(j);
            if (control->IsHidden()) continue;
            if (j == i || control->GetRECT()->Intersects(mDrawRECT)) control->Draw(this);
        }
    }
}

void IGraphics::OnGUIIdle() {
    for (int i = 0; i < NControls(); ++i)
        GetControl(i)->OnGUIIdle();
}

// The plug-in base holds its editor as an IPluginEditor; every editor it is given is an IGraphics.
IGraphics* IPluginBase::GetGUI() const {
    return static_cast<IGraphics*>(mGraphics.get());
}
