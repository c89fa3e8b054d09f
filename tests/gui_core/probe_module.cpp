// A library that carries the toolkit and a bitmap resource of its own, to show
// that bitmaps load from the module containing the toolkit, not from the
// program that loaded it.
#include "gui/cbitmap.h"

extern "C" __declspec(dllexport) void probeBitmapSize(int id, int* width, int* height) {
    VSTGUI::CBitmap* bitmap = new VSTGUI::CBitmap(id);
    *width = bitmap->getWidth();
    *height = bitmap->getHeight();
    bitmap->release();
}
