#include "display/stock_pictures_win.h"

#include "common/win32/handles_win.h"

namespace portlight {

namespace {

// A GDI object made for one drawing step and selected while it lasts; the selection is
// undone before the object is deleted.
class SelectedTool {
  public:
    SelectedTool(HDC dc, HGDIOBJ object) : object_(object), select_(dc, object) {}

  private:
    win32::GdiObject object_;
    win32::SelectObjectScope select_;
};

void Box(HDC dc, int l, int t, int r, int b, COLORREF fill, COLORREF edge, int edgeWidth = 1) {
    SelectedTool pen(dc, CreatePen(PS_SOLID, edgeWidth, edge));
    SelectedTool brush(dc, CreateSolidBrush(fill));
    Rectangle(dc, l, t, r, b);
}

void Disc(HDC dc, int cx, int cy, int radius, COLORREF fill, COLORREF edge) {
    SelectedTool pen(dc, CreatePen(PS_SOLID, 1, edge));
    SelectedTool brush(dc, CreateSolidBrush(fill));
    Ellipse(dc, cx - radius, cy - radius, cx + radius + 1, cy + radius + 1);
}

void DrawApplication(HDC dc) {
    Box(dc, 2, 4, 30, 28, RGB(255, 255, 255), RGB(40, 40, 40));
    Box(dc, 2, 4, 30, 10, RGB(30, 80, 170), RGB(40, 40, 40));
    Box(dc, 25, 6, 28, 9, RGB(230, 230, 230), RGB(230, 230, 230));
    Box(dc, 6, 14, 20, 16, RGB(160, 160, 160), RGB(160, 160, 160));
    Box(dc, 6, 19, 25, 21, RGB(160, 160, 160), RGB(160, 160, 160));
}

void DrawGear(HDC dc) {
    const COLORREF steel = RGB(70, 90, 120);
    {
        // Teeth: four thick strokes through the centre give eight teeth.
        SelectedTool pen(dc, CreatePen(PS_SOLID, 6, steel));
        const POINT ends[4][2] = {
            {{16, 2}, {16, 30}}, {{2, 16}, {30, 16}}, {{6, 6}, {26, 26}}, {{26, 6}, {6, 26}}};
        for (const auto& line : ends) {
            MoveToEx(dc, line[0].x, line[0].y, nullptr);
            LineTo(dc, line[1].x, line[1].y);
        }
    }
    Disc(dc, 16, 16, 10, steel, steel);
    Disc(dc, 16, 16, 4, RGB(255, 255, 255), RGB(40, 40, 40));
}

void DrawPadlock(HDC dc) {
    {
        SelectedTool pen(dc, CreatePen(PS_SOLID, 4, RGB(110, 110, 110)));
        win32::SelectObjectScope brush(dc, GetStockObject(NULL_BRUSH));  // stock: not deleted
        // The shackle: the upper half of a ring.
        Arc(dc, 8, 3, 25, 22, 25, 13, 8, 13);
        MoveToEx(dc, 9, 13, nullptr);
        LineTo(dc, 9, 16);
        MoveToEx(dc, 24, 13, nullptr);
        LineTo(dc, 24, 16);
    }
    Box(dc, 4, 14, 29, 31, RGB(235, 170, 20), RGB(120, 80, 0), 2);
    Disc(dc, 16, 21, 3, RGB(60, 40, 0), RGB(60, 40, 0));
    Box(dc, 15, 22, 18, 28, RGB(60, 40, 0), RGB(60, 40, 0));
}

void DrawQuestionMark(HDC dc) {
    Disc(dc, 16, 16, 14, RGB(120, 120, 130), RGB(60, 60, 70));
    SelectedTool font(dc, CreateFontA(-24, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                      DEFAULT_PITCH | FF_SWISS, "Arial"));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT all = {0, 0, kPictureSize, kPictureSize};
    DrawTextA(dc, "?", 1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace

StockPictures::StockPictures(COLORREF background)
    : picDefault(kPictureSize, kPictureSize, background),
      picSystem(kPictureSize, kPictureSize, background),
      picProtected(kPictureSize, kPictureSize, background),
      picUnKnown(kPictureSize, kPictureSize, background) {
    picDefault.Draw(DrawApplication);
    picSystem.Draw(DrawGear);
    picProtected.Draw(DrawPadlock);
    picUnKnown.Draw(DrawQuestionMark);
}

const IconCanvas* StockPictures::ForSlot(SlotPicture picture) const {
    switch (picture) {
        case SlotPicture::kSystem:
            return &picSystem;
        case SlotPicture::kProtected:
            return &picProtected;
        case SlotPicture::kUnknown:
            return &picUnKnown;
        case SlotPicture::kProcessIcon:
            break;
    }
    return nullptr;
}

}  // namespace portlight
