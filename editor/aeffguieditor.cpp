#include "editor/aeffguieditor.h"

#include "gui/cframe.h"
#include "gui/tick_clock.h"
#include "gui/window_thread.h"

using VSTGUI::CDrawContext;
using VSTGUI::CFrame;
using VSTGUI::CPoint;

namespace {

// Tick comparisons go through the wrapped difference, so that the pump keeps
// running when the 32-bit millisecond counter rolls over (every 49.7 days).
bool isBefore(uint32_t a, uint32_t b) { return (int32_t)(a - b) < 0; }

}  // namespace

AEffGUIEditor::AEffGUIEditor(EditorHost* host)
    : AEffEditor(host), rect(), nextIdleTime(0), hostIdleActive(false), frame(nullptr) {
    nextIdleTime = VSTGUI::tickClock().ticks();
}

// The thread that creates or deletes the plug-in need not be the one that
// shows its window: what the window's thread needs (OLE for drag and drop on
// Windows) is set up and ended by the frame, on the thread that opens and
// closes the window.
AEffGUIEditor::~AEffGUIEditor() {}

bool AEffGUIEditor::getRect(EditorRect** out) {
    if (!out) return false;
    *out = &rect;
    return true;
}

void AEffGUIEditor::idle() {
    if (!hostIdleActive && frame) frame->idle();
}

bool AEffGUIEditor::onKeyDown(VSTGUI::CKeyCode& keyCode) { return frame && frame->onKeyDown(keyCode) == 1; }

bool AEffGUIEditor::onKeyUp(VSTGUI::CKeyCode& keyCode) { return frame && frame->onKeyUp(keyCode) == 1; }

bool AEffGUIEditor::onWheel(float distance) {
    if (!frame) return false;
    // The pointer is read relative to the frame's own window, so the point is
    // in frame coordinates whatever borders the host's window has.
    void* window = frame->getSystemWindow();
    CDrawContext* context = new CDrawContext(frame, nullptr, window ? window : parentWindow);
    CPoint where;
    context->getMouseLocation(where);
    bool used = frame->onWheel(context, where, distance);
    context->release();
    return used;
}

bool AEffGUIEditor::setKnobMode(int32_t mode) {
    knobMode = mode;
    return true;
}

void AEffGUIEditor::beginEdit(int32_t index) {
    if (host) host->beginEdit(index);
}

void AEffGUIEditor::endEdit(int32_t index) {
    if (host) host->endEdit(index);
}

bool AEffGUIEditor::sizeWindow(int32_t width, int32_t height) { return host && host->resizeWindow(width, height); }

void AEffGUIEditor::runIdle() {
    VSTGUI::TickClock& clock = VSTGUI::tickClock();
    uint32_t now = clock.ticks();
    if (isBefore(now, nextIdleTime)) {
        clock.sleep(4);
        now += 4;
        // Early callers go on anyway once no more than 54 ms remain.
        if (isBefore(now, nextIdleTime - 50)) return;
    }

    insideControlLoop = true;
    idle();

    VSTGUI::dispatchWaitingPaint();

    nextIdleTime = now + 100;

    hostIdleActive = true;
    if (host) host->hostIdle();
    hostIdleActive = false;
    insideControlLoop = false;
}
