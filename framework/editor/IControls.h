#pragma once
// Every standard control of the editor.

#include "editor/IActionControls.h"
#include "editor/IBitmapControls.h"
#include "editor/IBitmapText.h"
#include "editor/IControl.h"
#include "editor/IFaderControl.h"
#include "editor/IKnobControls.h"
#include "editor/IPanelControl.h"
#include "editor/ITextControls.h"
