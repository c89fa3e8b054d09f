#include "editor/sdeditor.h"

#include "editor/editor_scale.h"
#include "gui/cbitmap.h"
#include "gui/cframe.h"
#include "gui/system_scale.h"
#include "gui/tick_clock.h"
#include "gui/window_thread.h"
#include "gui/controls/canimknob.h"
#include "gui/controls/ckickbutton.h"

using VSTGUI::CAnimKnob;
using VSTGUI::CBitmap;
using VSTGUI::CControl;
using VSTGUI::CDrawContext;
using VSTGUI::CFrame;
using VSTGUI::CKickButton;
using VSTGUI::CPoint;
using VSTGUI::CRect;

namespace {

enum BitmapResource : int32_t {
    kBackgroundBitmap = 128,
    kSmallKnobBitmap = 130,
    kLargeKnobBitmap = 132,
    kWhiteKeyBitmap = 134,
    kBlackKeyBitmap = 135,
    kOtherWhiteKeyBitmap = 136,  // at 150 % white keys come in two widths
};

// How often an editor that follows the system looks whether the screen's
// scale changed (the window moved to another monitor, a setting changed).
constexpr uint32_t kSystemCheckInterval = 1000;  // ms

constexpr int32_t kKnobFrames = 64;
constexpr int32_t kSmallKnobSize = 40;  // one frame of the small filmstrip
constexpr int32_t kLargeKnobSize = 64;

// Top-left corners of the knobs, by tag; the last one is the large Volume knob.
const CPoint kKnobCorners[SDEditor::kKnobCount] = {{355, 76}, {412, 76}, {490, 76}, {547, 76}, {624, 72}};
constexpr int kLargeKnobTag = 4;

const CRect kFirstWhiteKey(27, 215, 40, 236);  // note 21
const CRect kFirstBlackKey(38, 187, 46, 212);  // note 22
constexpr int32_t kWhiteKeyStep = 13;

bool isBlackKey(int32_t note) {
    switch (note % 12) {
        case 1:
        case 3:
        case 6:
        case 8:
        case 10:
            return true;
        default:
            return false;
    }
}

// After D sharp and A sharp the next black key lies past a gap with none.
int32_t blackKeyStep(int32_t note) {
    const int32_t pitch = note % 12;
    return (pitch == 3 || pitch == 10) ? 23 : 15;
}

// The editor's frame: a right click where no control is opens the menu of
// scales.
class EditorFrame final : public CFrame {
public:
    EditorFrame(const CRect& size, void* parentWindow, SDEditor* owner) : CFrame(size, parentWindow, owner), owner(owner) {}

    void mouse(CDrawContext* context, const CPoint& where, int32_t buttons) override {
        if (buttons == -1 && context) buttons = context->getMouseButtons();
        const bool rightOnly = (buttons & VSTGUI::kButtonRight) && !(buttons & VSTGUI::kButtonLeft);
        if (rightOnly && !getModalView() && !getViewAt(where)) {
            owner->openScaleMenu(where);
            return;
        }
        CFrame::mouse(context, where, buttons);
    }

private:
    SDEditor* const owner;
};

bool isKnob(int32_t index) { return index >= 0 && index < SDEditor::kKnobCount; }
bool isKey(int32_t index) { return index >= SDEditor::kLowestKey && index <= SDEditor::kHighestKey; }

}  // namespace

SDEditor::SDEditor(EditorHost* host)
    : AEffGUIEditor(host),
      knobs(),
      keyTable(),
      background(nullptr),
      keySounding(),
      windowThread(0),
      windowOpen(false),
      anyPending(false) {
    forgetPendingUpdates();
    // The player's choice is read when the size is asked for or the window opens.
    setScale(100);
}

SDEditor::~SDEditor() {
    // A host may end the plug-in with the window still open: the window must
    // not outlive the editor its frame reports to.
    close();
    if (background) background->release();
    background = nullptr;
}

bool SDEditor::open(void* window) {
    // A second open without a close builds anew instead of leaving the first
    // window behind.
    if (frame) close();
    AEffGUIEditor::open(window);

    playerChoice = editorscale::readChoice();
    setScale(wantedScale(nullptr, window));
    rescaleWanted = false;
    refusedScale = 0;
    nextSystemCheck = VSTGUI::tickClock().ticks() + kSystemCheckInterval;
    CFrame* newFrame = new EditorFrame(CRect(0, 0, rect.right, rect.bottom), window, this);
    if (!newFrame->getSystemWindow() && !newFrame->isWindowPending()) {
        // No window in that parent, nor one to come: the editor stays closed.
        delete newFrame;
        AEffEditor::close();
        return false;
    }
    // From here on other threads leave their updates for the first idle pass.
    forgetPendingUpdates();
    windowThread.store(VSTGUI::currentThreadIdentity(), std::memory_order_relaxed);
    windowOpen.store(true, std::memory_order_release);

    addControls(newFrame);
    frame = newFrame;
    return true;
}

// The background, knobs and keys at the editor's scale: each 1x place lands
// on the device pixels the pictures were drawn for.
void SDEditor::addControls(CFrame* into) {
    const int percent = scale;
    auto device = [percent](const CRect& r) {
        return CRect(editorscale::toDevice(r.left, percent), editorscale::toDevice(r.top, percent),
                     editorscale::toDevice(r.right, percent), editorscale::toDevice(r.bottom, percent));
    };
    if (background) background->release();
    background = new CBitmap(kBackgroundBitmap, percent);
    into->setBackground(background);

    CBitmap* smallKnob = new CBitmap(kSmallKnobBitmap, percent);
    CBitmap* largeKnob = new CBitmap(kLargeKnobBitmap, percent);
    CBitmap* whiteKey = new CBitmap(kWhiteKeyBitmap, percent);
    CBitmap* otherWhiteKey = new CBitmap(kOtherWhiteKeyBitmap, percent);
    CBitmap* blackKey = new CBitmap(kBlackKeyBitmap, percent);

    for (int tag = 0; tag < kKnobCount; ++tag) {
        const bool large = tag == kLargeKnobTag;
        const int32_t side = large ? kLargeKnobSize : kSmallKnobSize;
        const CPoint& corner = kKnobCorners[tag];
        const CRect place = device(CRect(corner.h, corner.v, corner.h + side, corner.v + side));
        CAnimKnob* knob = new CAnimKnob(place, this, tag, kKnobFrames, place.getHeight(), large ? largeKnob : smallKnob,
                                        CPoint(0, 0));
        knob->setDragScale(percent / 100.f);
        knobs[tag] = knob;
        knob->setValue(host ? host->parameterValue(tag) : 0.f);
        into->addView(knob);
    }

    CRect white = kFirstWhiteKey;
    CRect black = kFirstBlackKey;
    for (int32_t note = kLowestKey; note <= kHighestKey; ++note) {
        const bool isBlack = isBlackKey(note);
        const CRect place = device(isBlack ? black : white);
        CBitmap* picture = isBlack ? blackKey : place.getWidth() == whiteKey->getWidth() ? whiteKey : otherWhiteKey;
        CKickButton* key = new CKickButton(place, this, note, picture, CPoint(0, 0));
        keyTable[note] = key;
        key->setValue(0.f);
        keySounding[note] = false;
        into->addView(key);
        if (isBlack)
            black.offset(blackKeyStep(note), 0);
        else
            white.offset(kWhiteKeyStep, 0);
    }

    // The controls hold their own references now.
    whiteKey->release();
    otherWhiteKey->release();
    blackKey->release();
    largeKnob->release();
    smallKnob->release();
}

bool SDEditor::getRect(EditorRect** out) {
    // Closed, the editor answers for the scale it would open at, with the
    // player's choice as the file has it now (another instance may have
    // changed it).
    if (!frame) {
        playerChoice = editorscale::readChoice();
        setScale(wantedScale(nullptr, nullptr));
    }
    return AEffGUIEditor::getRect(out);
}

int SDEditor::wantedScale(const CFrame* openFrame, void* parentWindow) const {
    if (playerChoice != editorscale::kAutomatic) return playerChoice;
    if (const int hostPercent = editorscale::nearestPercent(hostFactor)) return hostPercent;
    const double system =
        openFrame ? VSTGUI::systemScaleFactor(*openFrame) : VSTGUI::systemScaleFactor(parentWindow);
    if (const int systemPercent = editorscale::nearestPercent(system)) return systemPercent;
    return 100;
}

void SDEditor::setScale(int percent) {
    scale = percent;
    rect.left = 0;
    rect.top = 0;
    rect.right = (int16_t)editorscale::toDevice(layout::kWidth, percent);
    rect.bottom = (int16_t)editorscale::toDevice(layout::kHeight, percent);
}

void SDEditor::setHostScale(double factor) {
    hostFactor = editorscale::nearestPercent(factor) ? factor : 0.0;
    rescaleWanted = true;
    followWantedScale();
}

void SDEditor::choosePlayerScale(int percent) {
    if (percent != editorscale::kAutomatic && percent != 100 && percent != 150 && percent != 200) return;
    playerChoice = percent;
    // Not kept is no reason to fail: the choice holds while the plug-in lives.
    editorscale::writeChoice(percent);
    rescaleWanted = true;
    followWantedScale();
}

void SDEditor::followWantedScale() {
    if (!rescaleWanted) return;
    if (!frame) {
        rescaleWanted = false;
        setScale(wantedScale(nullptr, nullptr));
        return;
    }
    // A control that holds the mouse must keep existing until it lets go,
    // and an open menu until it is answered.
    if (insideControlLoop || frame->getGesture() || scaleMenu) return;
    rescaleWanted = false;
    const int wanted = wantedScale(frame, nullptr);
    if (wanted == refusedScale) return;
    refusedScale = 0;
    if (wanted != scale) rescale(wanted);
}

bool SDEditor::sizeWindow(int32_t width, int32_t height) {
    lastResizeAccepted = AEffGUIEditor::sizeWindow(width, height);
    return lastResizeAccepted;
}

// Asks the host for the new size. A host that refuses it and holds the
// editor in a smaller window gets the largest scale that fits there, never
// a cut-off editor, and is not asked again until the wanted scale changes.
void SDEditor::rescale(int percent) {
    const int before = scale;
    // The size is the editor's own before the host hears of it: a host may
    // ask it back (or try it) while it resizes.
    setScale(percent);
    lastResizeAccepted = false;
    frame->setSize(rect.right, rect.bottom);
    CRect room;
    if (!lastResizeAccepted && frame->getSize(room)) {
        int fitting = 100;
        for (int candidate : editorscale::kPercents)
            if (candidate <= percent && editorscale::toDevice(layout::kWidth, candidate) <= room.getWidth() &&
                editorscale::toDevice(layout::kHeight, candidate) <= room.getHeight())
                fitting = candidate;
        if (fitting != percent) {
            refusedScale = percent;
            setScale(fitting);
            frame->setSize(rect.right, rect.bottom);
        }
    }
    if (scale == before) return;
    frame->setFocusView(nullptr);
    frame->removeAll();
    for (CAnimKnob*& knob : knobs) knob = nullptr;
    for (CKickButton*& key : keyTable) key = nullptr;
    addControls(frame);
    // The keys the engine holds light again with its next updates; the
    // knobs took the plug-in's values above.
    frame->invalidate(CRect(0, 0, rect.right, rect.bottom));
}

void SDEditor::close() {
    windowOpen.store(false, std::memory_order_release);
    if (scaleMenu) {
        frame->setModalView(nullptr);
        scaleMenu->release();
        scaleMenu = nullptr;
    }
    scaleMenuDone = false;
    // The frame goes as a whole, and the controls with it. A drag still
    // running reports its end on the way out; by then the editor already
    // has no frame to redraw.
    VSTGUI::CFrame* closing = frame;
    frame = nullptr;
    delete closing;
    for (CAnimKnob*& knob : knobs) knob = nullptr;
    for (CKickButton*& key : keyTable) key = nullptr;
}

void SDEditor::idle() {
    applyPendingUpdates();
    // An editor that follows the system looks now and then whether the
    // screen's scale changed.
    if (frame && playerChoice == editorscale::kAutomatic && hostFactor == 0.0) {
        const uint32_t now = VSTGUI::tickClock().ticks();
        if ((int32_t)(now - nextSystemCheck) >= 0) {
            nextSystemCheck = now + kSystemCheckInterval;
            rescaleWanted = true;
        }
    }
    if (scaleMenuDone && !insideControlLoop) finishScaleMenu();
    followWantedScale();
    AEffGUIEditor::idle();
}

void SDEditor::openScaleMenu(const CPoint& where) {
    if (!frame || scaleMenu) return;
    scaleMenu = new ScaleMenu(CRect(0, 0, rect.right, rect.bottom), where, scale, playerChoice, this);
    scaleMenuDone = false;
    frame->setModalView(scaleMenu);
    scaleMenu->setDirty(true);
}

void SDEditor::scaleMenuClosed(int choice) {
    scaleMenuChoice = choice;
    scaleMenuDone = true;
}

void SDEditor::finishScaleMenu() {
    scaleMenuDone = false;
    if (!scaleMenu) return;
    frame->setModalView(nullptr);
    scaleMenu->release();
    scaleMenu = nullptr;
    // What the menu covered is the panel's and the controls' again.
    frame->setDirty(true);
    if (scaleMenuChoice >= 0) choosePlayerScale(scaleMenuChoice);
}

// Records the change and marks the control dirty; the drawing waits for the
// next idle pass or paint, so that no caller waits on the window system.
void SDEditor::setParameter(int32_t index, float value) {
    if (!onWindowThread()) {
        recordFromOtherThread(index, value);
        return;
    }
    if (!frame) return;
    if (isKnob(index)) {
        // This update is newer than anything another thread left.
        pendingKnob[index].store(kNothing, std::memory_order_relaxed);
        // The knob reports itself dirty once its picture changes.
        knobs[index]->setValue(host ? host->parameterValue(index) : 0.f);
        return;
    }
    if (index < 0 || index >= kKeyTableSize || !keyTable[index]) return;
    pendingKey[index].store(kNothing, std::memory_order_relaxed);
    showKey(keyTable[index], index, value != 0.f);
}

void SDEditor::valueChanged(CDrawContext* /*context*/, CControl* control) {
    const int32_t tag = control->getTag();
    const float value = control->getValue();
    const bool key = tag >= 0 && tag < kKeyTableSize && keyTable[tag] == control;
    // A held key reports its value again on every pass of its mouse loop until
    // it is redrawn; starting the note each time would stack voices of it.
    const bool repeatedPress = key && value != 0.f && keySounding[tag];
    if (!repeatedPress && host) {
        if (key)
            host->playKey(tag, value);
        else
            host->performEdit(tag, value);
    }
    if (key) keySounding[tag] = value != 0.f;
    control->setDirty(true);
}

bool SDEditor::onWindowThread() const {
    return VSTGUI::currentThreadIdentity() == windowThread.load(std::memory_order_relaxed);
}

// Never touches the frame or a control: the window may be closing on its own
// thread right now. The editor lives as long as the plug-in, so the atomics
// are always there.
void SDEditor::recordFromOtherThread(int32_t index, float value) {
    if (!windowOpen.load(std::memory_order_acquire)) return;
    if (isKnob(index))
        pendingKnob[index].store(kKnobMoved, std::memory_order_release);
    else if (isKey(index))
        pendingKey[index].store(value != 0.f ? kKeyPressed : kKeyReleased, std::memory_order_release);
    else
        return;
    anyPending.store(true, std::memory_order_release);
}

void SDEditor::applyPendingUpdates() {
    if (!frame || !anyPending.exchange(false, std::memory_order_acq_rel)) return;
    for (int tag = 0; tag < kKnobCount; ++tag) {
        if (pendingKnob[tag].exchange(kNothing, std::memory_order_acq_rel) == kNothing) continue;
        const float value = host ? host->parameterValue(tag) : 0.f;
        if (knobs[tag]->getValue() == value) continue;
        knobs[tag]->setValue(value);
        // Also when the new value shows another frame without moving the
        // knob's pointer by a whole pixel.
        knobs[tag]->setDirty(true);
    }
    for (int32_t note = kLowestKey; note <= kHighestKey; ++note) {
        const uint32_t pending = pendingKey[note].exchange(kNothing, std::memory_order_acq_rel);
        if (pending != kNothing) showKey(keyTable[note], note, pending == kKeyPressed);
    }
}

void SDEditor::showKey(CKickButton* key, int32_t note, bool pressed) {
    key->setValue(pressed ? 1.f : 0.f);
    key->setDirty(true);
    keySounding[note] = pressed;
}

void SDEditor::forgetPendingUpdates() {
    anyPending.store(false, std::memory_order_relaxed);
    for (std::atomic<uint32_t>& pending : pendingKnob) pending.store(kNothing, std::memory_order_relaxed);
    for (std::atomic<uint32_t>& pending : pendingKey) pending.store(kNothing, std::memory_order_relaxed);
}
