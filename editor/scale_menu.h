// The editor's right-click menu of scales: "100 %", "150 %", "200 %" and
// "Automatic", the player's choice ticked, drawn from the generator's
// picture for the editor's scale. While open it covers the whole frame as
// its modal view, so that the next click anywhere closes it: on a row it
// chooses that row, elsewhere nothing.
#pragma once

#include "gui/cview.h"

namespace VSTGUI {
class CBitmap;
}

class ScaleMenu : public VSTGUI::CView {
public:
    // Told once, from the click that closes the menu: the chosen scale in
    // percent, 0 for "Automatic", -1 for none. The menu must not be taken
    // out of the frame from inside the call.
    class Listener {
    public:
        virtual void scaleMenuClosed(int choice) = 0;

    protected:
        ~Listener() = default;
    };

    // frameSize: the whole frame; at: the click, where the menu's corner goes
    // (moved in so that all of it shows); percent: the editor's scale;
    // ticked: the player's choice (100, 150, 200 or 0 for automatic).
    ScaleMenu(const VSTGUI::CRect& frameSize, const VSTGUI::CPoint& at, int percent, int ticked, Listener* listener);
    ~ScaleMenu() override;

    void draw(VSTGUI::CDrawContext* context) override;
    void mouse(VSTGUI::CDrawContext* context, const VSTGUI::CPoint& where, int32_t buttons = -1) override;
    bool hitTest(const VSTGUI::CPoint& where, int32_t buttons = -1) override;

private:
    // The row at a point of the frame (0 to 3, -1 outside the rows), and
    // what choosing it means.
    int rowAt(const VSTGUI::CPoint& where) const;
    static int choiceOfRow(int row);
    VSTGUI::CRect rowRect(int row) const;

    VSTGUI::CBitmap* picture;
    VSTGUI::CRect menuBox;
    int percent;
    int tickedRow;
    Listener* listener;
};
