#include "gui/controls/ccontrol.h"

#include <cstring>

#include "gui/cframe.h"

namespace VSTGUI {

int32_t CControlListener::modifierClicked(CDrawContext*, CControl*, int32_t) { return 0; }

CControl::CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background)
    : CView(size),
      listener(listener),
      tag(tag),
      drawnValue(1.f),
      defaultValue(0.5f),
      value(0.f),
      vmin(0.f),
      vmax(1.f),
      wheelStep(0.1f),
      offsetPoint(0, 0) {
    mouseEnabled = true;
    transparent = false;
    // Marks the control dirty, so a new control is drawn at the first update.
    setBackground(background);
}

CControl::~CControl() {}

bool CControl::isDirty() const {
    // `!(a == b)` so that a NaN value or drawn value counts as a difference.
    if (!(value == drawnValue)) return true;
    return CView::isDirty();
}

void CControl::setDirty(bool state) {
    CView::setDirty(state);
    if (state)
        drawnValue = (value == -1.f) ? 0.f : -1.f;
    else
        drawnValue = value;
}

bool CControl::isTypeOf(const char* className) const {
    if (std::strcmp(className, "CControl") == 0) return true;
    return CView::isTypeOf(className);
}

bool CControl::removed(CView* parent) {
    parentFrame = nullptr;
    parentView = nullptr;
    return CView::removed(parent);
}

void CControl::runIdle() {
    if (parentFrame) parentFrame->runIdle();
}

void CControl::setValue(float newValue) { value = newValue; }
float CControl::getValue() const { return value; }
void CControl::setMin(float newMin) { vmin = newMin; }
float CControl::getMin() const { return vmin; }
void CControl::setMax(float newMax) { vmax = newMax; }
float CControl::getMax() const { return vmax; }
void CControl::setDrawnValue(float newValue) { drawnValue = newValue; }
float CControl::getDrawnValue() const { return drawnValue; }
void CControl::setDefaultValue(float newValue) { defaultValue = newValue; }
float CControl::getDefaultValue() const { return defaultValue; }
void CControl::setTag(int32_t newTag) { tag = newTag; }
int32_t CControl::getTag() const { return tag; }

// Only a control inside a frame has anyone to tell; a detached one stays quiet
// instead of following a null frame.
void CControl::beginEdit() {
    if (!parentFrame) return;
    parentFrame->setFocusView(this);
    parentFrame->beginEdit(tag);
}

void CControl::endEdit() {
    if (parentFrame) parentFrame->endEdit(tag);
}

void CControl::setOffsetPoint(const CPoint& point) { offsetPoint = point; }
void CControl::copyOriginToOffsetPoint() { offsetPoint = CPoint(size.left, size.top); }
void CControl::setWheelStep(float step) { wheelStep = step; }
float CControl::getWheelStep() const { return wheelStep; }

void CControl::clampValue() {
    if (value > vmax)
        value = vmax;
    else if (value < vmin)
        value = vmin;
}

bool CControl::handleDefaultClick(CDrawContext* context, int32_t buttons) {
    if (buttons != (kButtonLeft | kModControl)) return false;
    beginEdit();
    value = getDefaultValue();
    if (isDirty() && listener) listener->valueChanged(context, this);
    endEdit();
    return true;
}

}  // namespace VSTGUI
