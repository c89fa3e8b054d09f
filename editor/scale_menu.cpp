#include "editor/scale_menu.h"

#include "editor/editor_scale.h"
#include "gui/cbitmap.h"
#include "tools/make-bitmaps/layout.h"

using VSTGUI::CBitmap;
using VSTGUI::CDrawContext;
using VSTGUI::CPoint;
using VSTGUI::CRect;

namespace {

constexpr int32_t kScaleMenuBitmap = 137;
constexpr int kRowChoices[layout::kMenuRows] = {100, 150, 200, editorscale::kAutomatic};

}  // namespace

ScaleMenu::ScaleMenu(const CRect& frameSize, const CPoint& at, int percent, int ticked, Listener* listener)
    : CView(frameSize),
      picture(new CBitmap(kScaleMenuBitmap, percent)),
      percent(percent),
      tickedRow(-1),
      listener(listener) {
    for (int row = 0; row < layout::kMenuRows; ++row)
        if (kRowChoices[row] == ticked) tickedRow = row;
    const int width = editorscale::toDevice(layout::kMenuWidth, percent);
    const int height = editorscale::toDevice(layout::kMenuHeight, percent);
    int left = at.h, top = at.v;
    if (left + width > frameSize.right) left = frameSize.right - width;
    if (top + height > frameSize.bottom) top = frameSize.bottom - height;
    if (left < frameSize.left) left = frameSize.left;
    if (top < frameSize.top) top = frameSize.top;
    menuBox = CRect(left, top, left + width, top + height);
}

ScaleMenu::~ScaleMenu() { picture->release(); }

int ScaleMenu::choiceOfRow(int row) { return row >= 0 && row < layout::kMenuRows ? kRowChoices[row] : -1; }

CRect ScaleMenu::rowRect(int row) const {
    return CRect(menuBox.left, menuBox.top + editorscale::toDevice(layout::menuRowTop(row), percent), menuBox.right,
                 menuBox.top + editorscale::toDevice(layout::menuRowTop(row + 1), percent));
}

int ScaleMenu::rowAt(const CPoint& where) const {
    for (int row = 0; row < layout::kMenuRows; ++row) {
        const CRect r = rowRect(row);
        if (where.h >= r.left && where.h < r.right && where.v >= r.top && where.v < r.bottom) return row;
    }
    return -1;
}

// The plain menu, then the ticked row from the picture's second copy.
void ScaleMenu::draw(CDrawContext* context) {
    picture->draw(context, menuBox, CPoint(0, 0));
    if (tickedRow >= 0) {
        const CRect row = rowRect(tickedRow);
        picture->draw(context, row, CPoint(0, menuBox.getHeight() + (row.top - menuBox.top)));
    }
    setDirty(false);
}

bool ScaleMenu::hitTest(const CPoint&, int32_t) { return true; }

void ScaleMenu::mouse(CDrawContext*, const CPoint& where, int32_t) {
    if (!listener) return;
    Listener* telling = listener;
    listener = nullptr;  // one answer per menu
    telling->scaleMenuClosed(choiceOfRow(rowAt(where)));
}
