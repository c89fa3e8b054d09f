// A view holding an ordered list of children: draws them (usually through an
// offscreen buffer of its own), decides what to redraw, and routes mouse,
// keys, wheel, drag and focus to the right child.
#pragma once

#include <cstdint>

#include "gui/cview.h"

namespace VSTGUI {

enum CUpdateMode : int32_t { kUpdateAll = 0, kUpdateDirtyOnly = 1 };

class CViewContainer : public CView {
public:
    CViewContainer(const CRect& size, CFrame* frame, CBitmap* background = nullptr);
    ~CViewContainer() override;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void mouse(CDrawContext* context, const CPoint& where, int32_t buttons = -1) override;
    int32_t onKeyDown(CKeyCode& keyCode) override;
    int32_t onKeyUp(CKeyCode& keyCode) override;
    bool onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void loseFocus(CDrawContext* context = nullptr) override;
    void takeFocus(CDrawContext* context = nullptr) override;
    bool isDirty() const override;
    void setViewSize(const CRect& rect) override;
    bool removed(CView* parent) override;
    bool attached(CView* parent) override;
    CPoint& frameToLocal(CPoint& point) const override;
    CPoint& localToFrame(CPoint& point) const override;
    int32_t notify(CView* sender, const char* message) override;
    void redrawRect(CDrawContext* context, const CRect& rect) override;
    bool isTypeOf(const char* className) const override;
    void update(CDrawContext* context) override;

    virtual void addView(CView* view, const CRect& mouseArea, bool mouseEnabled = true);
    virtual void addView(CView* view);
    virtual void removeView(CView* view, bool withRelease = true);
    virtual void removeAll(bool withRelease = true);
    virtual bool isChild(CView* view) const;
    virtual int32_t getViewCount() const;
    virtual CView* getView(int32_t index) const;
    virtual void setBackgroundColor(const CColor& color);
    virtual CColor getBackgroundColor() const;
    virtual void setBackgroundOffset(const CPoint& offset);
    virtual CPoint& getBackgroundOffset();
    virtual void drawBackgroundRect(CDrawContext* context, const CRect& rect);
    virtual void setMode(int32_t mode);
    virtual int32_t getMode() const;
    virtual void setDrawOffscreen(bool state);
    virtual CView* getViewUnderCursor();
    virtual CView* getViewAt(const CPoint& where, bool deep = false);
    virtual bool advanceFocus(CView* oldFocus, bool reverse);

    bool getDrawOffscreen() const { return drawOffscreen; }
    COffscreenContext* getOffscreen() const { return offscreen; }

    // Shift a context into this container's local coordinates and back.
    struct SavedOffsets {
        CPoint screenOffset;
        CPoint offset;
    };
    void enterLocalCoordinates(SavedOffsets& save, CDrawContext* context) const;
    void leaveLocalCoordinates(CDrawContext* context, const SavedOffsets& save) const;

protected:
    // One child in the list; holds one reference to its view.
    struct ChildEntry {
        explicit ChildEntry(CView* view) : view(view), next(nullptr), previous(nullptr) { view->retain(); }
        ~ChildEntry() { view->release(); }
        CView* view;
        ChildEntry* next;
        ChildEntry* previous;
    };

    void createOffscreenIfNeeded();
    void releaseOffscreen();
    // The clip of the context being drawn, expressed in this container's
    // local coordinates.
    CRect localClipOf(CDrawContext* context) const;

    ChildEntry* firstChild;
    ChildEntry* lastChild;
    int32_t mode;
    COffscreenContext* offscreen;
    CColor backgroundColor;
    CPoint backgroundOffset;
    bool drawOffscreen;
    CView* dragTarget;
};

}  // namespace VSTGUI
