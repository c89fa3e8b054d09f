// The control base: the dirty rule through the drawn value, clamping, the
// control+click reset with its edit bracket through the frame to the host,
// the class-name test, the idle pump, and the slot order of the new
// operations.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "gui/controls/canimknob.h"
#include "gui/controls/ckickbutton.h"
#include "gui/controls/cknob.h"
#include "tests/gui_controls/control_rig.h"

namespace controltest {
namespace {

// The smallest drawable control.
class PlainControl : public CControl {
public:
    explicit PlainControl(CControlListener* listener = nullptr, int32_t tag = 7)
        : CControl(CRect(10, 10, 30, 30), listener, tag) {}
    void draw(CDrawContext*) override { setDirty(false); }
};

TEST(ControlDirtyRule, FollowsTheDrawnValue) {
    PlainControl c;
    EXPECT_TRUE(c.isDirty()) << "a new control is marked dirty by its constructor";
    EXPECT_FLOAT_EQ(c.getDrawnValue(), -1.f);
    EXPECT_FLOAT_EQ(c.getValue(), 0.f);

    c.setDirty(false);
    EXPECT_FALSE(c.isDirty());
    EXPECT_FLOAT_EQ(c.getDrawnValue(), 0.f);

    c.setValue(0.25f);
    EXPECT_TRUE(c.isDirty()) << "a value that differs from the drawn one needs a redraw";
    c.setDirty(false);
    EXPECT_FLOAT_EQ(c.getDrawnValue(), 0.25f);

    // Clearing only the view's flag leaves the drawn value apart.
    c.setDirty(true);
    c.CView::setDirty(false);
    EXPECT_TRUE(c.isDirty());
    EXPECT_FLOAT_EQ(c.getDrawnValue(), -1.f);
}

TEST(ControlDirtyRule, ValueMinusOneStillBecomesDirty) {
    PlainControl c;
    c.setValue(-1.f);
    c.setDirty(false);
    EXPECT_FALSE(c.isDirty());
    c.setDirty(true);
    EXPECT_FLOAT_EQ(c.getDrawnValue(), 0.f);
    c.CView::setDirty(false);
    EXPECT_TRUE(c.isDirty()) << "the drawn value alone must keep it dirty";
}

TEST(ControlDirtyRule, NotANumberCountsAsDifferent) {
    PlainControl c;
    c.setValue(std::numeric_limits<float>::quiet_NaN());
    c.setDirty(false);
    EXPECT_TRUE(c.isDirty());
}

TEST(ControlClamp, IntoTheRangeOnlyWhenAsked) {
    PlainControl c;
    c.setValue(1.7f);
    EXPECT_FLOAT_EQ(c.getValue(), 1.7f) << "setValue does not clamp";
    c.clampValue();
    EXPECT_FLOAT_EQ(c.getValue(), 1.f);
    c.setValue(-0.5f);
    c.clampValue();
    EXPECT_FLOAT_EQ(c.getValue(), 0.f);

    c.setMin(-2.f);
    c.setMax(3.f);
    c.setValue(-2.f);
    c.clampValue();
    EXPECT_FLOAT_EQ(c.getValue(), -2.f);
    c.setValue(2.5f);
    c.clampValue();
    EXPECT_FLOAT_EQ(c.getValue(), 2.5f);
    c.setValue(std::numeric_limits<float>::quiet_NaN());
    c.clampValue();
    EXPECT_TRUE(std::isnan(c.getValue())) << "a value that is not a number stays as it is";
}

TEST(ControlBackground, HeldOnceAndReleasedWithTheControl) {
    CBitmap* bitmap = new CBitmap(31999);  // no such resource: an empty bitmap
    {
        CKickButton* b = new CKickButton(CRect(0, 0, 10, 10), nullptr, 1, bitmap);
        EXPECT_EQ(bitmap->getNbReference(), 2);
        b->release();
    }
    EXPECT_EQ(bitmap->getNbReference(), 1);
    bitmap->release();
}

TEST(ControlClassNames, EachControlKnowsItsLine) {
    CKnob* knob = new CKnob(CRect(0, 0, 40, 40), nullptr, 0, nullptr, nullptr);
    CAnimKnob* anim = new CAnimKnob(CRect(0, 0, 40, 40), nullptr, 0, 64, 40, nullptr);
    CKickButton* kick = new CKickButton(CRect(0, 0, 10, 30), nullptr, 60, nullptr);
    PlainControl plain;
    for (CView* v : std::initializer_list<CView*>{knob, anim, kick, &plain}) {
        EXPECT_TRUE(v->isTypeOf("CView"));
        EXPECT_TRUE(v->isTypeOf("CControl"));
        EXPECT_FALSE(v->isTypeOf("CViewContainer"));
        EXPECT_FALSE(v->isTypeOf("ccontrol"));
    }
    EXPECT_TRUE(knob->isTypeOf("CKnob"));
    EXPECT_FALSE(knob->isTypeOf("CAnimKnob"));
    EXPECT_TRUE(anim->isTypeOf("CAnimKnob"));
    EXPECT_TRUE(anim->isTypeOf("CKnob"));
    EXPECT_TRUE(kick->isTypeOf("CKickButton"));
    EXPECT_FALSE(kick->isTypeOf("CKnob"));
    EXPECT_FALSE(plain.isTypeOf("CKickButton"));
    knob->release();
    anim->release();
    kick->release();
}

class ControlWithFrame : public ::testing::Test {
protected:
    ControlRig rig;
};

TEST_F(ControlWithFrame, DefaultClickIsOneBracketedReset) {
    PlainControl* c = rig.add(new PlainControl(&rig.listener, 3));
    c->setValue(0.9f);
    c->draw(nullptr);
    CDrawContext* context = rig.frame()->createDrawContext();

    EXPECT_FALSE(c->handleDefaultClick(context, kButtonLeft | kModControl | kModShift));
    EXPECT_FALSE(c->handleDefaultClick(context, kButtonLeft));
    EXPECT_FALSE(c->handleDefaultClick(context, kModControl | kButtonRight));
    EXPECT_TRUE(rig.log.events.empty()) << rig.log.describe();
    EXPECT_FLOAT_EQ(c->getValue(), 0.9f);

    EXPECT_TRUE(c->handleDefaultClick(context, kButtonLeft | kModControl));
    EXPECT_EQ(rig.log.kinds(), (std::vector<std::string>{"begin", "changed", "end"})) << rig.log.describe();
    EXPECT_FLOAT_EQ(rig.log.values()[0], 0.5f);
    EXPECT_EQ(rig.log.events[0].tag, 3) << "the tag travels to the host";
    EXPECT_EQ(rig.frame()->getFocusView(), c) << "an edit gives the control the focus";

    // Already at the default and drawn: the bracket still goes out, no change.
    c->draw(nullptr);
    rig.log.clear();
    EXPECT_TRUE(c->handleDefaultClick(context, kButtonLeft | kModControl));
    EXPECT_EQ(rig.log.kinds(), (std::vector<std::string>{"begin", "end"})) << rig.log.describe();

    // The default is used as it is, not clamped.
    c->setDefaultValue(4.f);
    EXPECT_TRUE(c->handleDefaultClick(context, kButtonLeft | kModControl));
    EXPECT_FLOAT_EQ(c->getValue(), 4.f);
    context->release();
}

TEST_F(ControlWithFrame, RunIdleReachesTheEditorsPump) {
    SteppingClock clock;
    PlainControl* c = rig.add(new PlainControl(&rig.listener));
    const int before = rig.hostRecord.count(audioMasterIdle);
    c->runIdle();
    c->runIdle();
    EXPECT_EQ(rig.editor->runIdleCalls, 2);
    EXPECT_EQ(rig.hostRecord.count(audioMasterIdle) - before, 2);
}

TEST(ControlWithoutFrame, EditBracketAndIdleStayQuiet) {
    EventLog log;
    RecordingListener listener(&log);
    PlainControl c(&listener);
    c.beginEdit();
    c.endEdit();
    c.runIdle();
    // A key reaching a knob that is in no frame changes the value and tells
    // the listener, with nobody to bracket the edit.
    VSTGUI::CKeyCode up = {0, VSTGUI::kVirtualKeyUp, 0};
    CKnob* knob = new CKnob(CRect(0, 0, 40, 40), &listener, 0, nullptr, nullptr);
    EXPECT_EQ(knob->onKeyDown(up), 1);
    EXPECT_NEAR(knob->getValue(), 0.1f, 1e-6);
    EXPECT_EQ(log.kinds(), (std::vector<std::string>{"changed"}));
    knob->release();
}

// Slot positions from pointers to virtual members (the Itanium C++ ABI keeps
// 1 + the byte offset in the vtable).
template <class F>
long slotOf(F f) {
    struct {
        uintptr_t ptr;
        ptrdiff_t adjust;
    } raw;
    static_assert(sizeof(F) == sizeof(raw), "member pointer layout");
    std::memcpy(&raw, &f, sizeof raw);
    if (!(raw.ptr & 1)) return -1;
    return (long)((raw.ptr - 1) / sizeof(void*));
}

struct AnimProbe : CAnimKnob {
    using CAnimKnob::CAnimKnob;
    virtual void probe() {}
};
struct KickProbe : CKickButton {
    using CKickButton::CKickButton;
    virtual void probe() {}
};

TEST(ControlSlots, NewOperationsFollowTheViewsInOrder) {
    const long base = slotOf(&CView::update);
    const long control[] = {
        slotOf(&CControl::runIdle),         slotOf(&CControl::setValue),
        slotOf(&CControl::getValue),        slotOf(&CControl::setMin),
        slotOf(&CControl::getMin),          slotOf(&CControl::setMax),
        slotOf(&CControl::getMax),          slotOf(&CControl::setDrawnValue),
        slotOf(&CControl::getDrawnValue),   slotOf(&CControl::setDefaultValue),
        slotOf(&CControl::getDefaultValue), slotOf(&CControl::setTag),
        slotOf(&CControl::getTag),          slotOf(&CControl::beginEdit),
        slotOf(&CControl::endEdit),         slotOf(&CControl::setOffsetPoint),
        slotOf(&CControl::copyOriginToOffsetPoint), slotOf(&CControl::setWheelStep),
        slotOf(&CControl::getWheelStep),    slotOf(&CControl::clampValue),
        slotOf(&CControl::handleDefaultClick)};
    for (size_t i = 0; i < sizeof control / sizeof control[0]; ++i) EXPECT_EQ(control[i], base + 1 + (long)i) << i;

    const long knob[] = {
        slotOf(&CKnob::drawIndicator),      slotOf(&CKnob::setSweepStart),
        slotOf(&CKnob::getSweepStart),      slotOf(&CKnob::setSweepAngle),
        slotOf(&CKnob::getSweepAngle),      slotOf(&CKnob::pointForValue),
        slotOf(&CKnob::valueForPoint),      slotOf(&CKnob::setIndicatorInset),
        slotOf(&CKnob::setIndicatorShadowColor), slotOf(&CKnob::setIndicatorColor),
        slotOf(&CKnob::setIndicatorBitmap), slotOf(&CKnob::setFineFactor),
        slotOf(&CKnob::getFineFactor)};
    const long afterControl = slotOf(&CControl::handleDefaultClick);
    for (size_t i = 0; i < sizeof knob / sizeof knob[0]; ++i) EXPECT_EQ(knob[i], afterControl + 1 + (long)i) << i;

    // The filmstrip knob and the kick button add no slots of their own.
    EXPECT_EQ(slotOf(&AnimProbe::probe), slotOf(&CKnob::getFineFactor) + 1);
    EXPECT_EQ(slotOf(&KickProbe::probe), afterControl + 1);
}

}  // namespace
}  // namespace controltest
