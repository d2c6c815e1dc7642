// Painting in 96-DPI pixels at any DPI. The tables and the glyph grid are
// laid out at fixed pixel positions, while the dialogs around them grow with
// the display's DPI (their dialog units follow the dialog font). A painter
// that holds a DpiScaling draws its fixed positions scaled to the DPI, and
// its text in the font the DC had, at the DPI's size rather than twice scaled.
#pragma once

#include <windows.h>

// The system DPI the program paints for (96 at 100 %).
int PaintDpi();

// A 96-DPI pixel length at the paint DPI, and a window pixel (a mouse
// position) back in 96-DPI pixels.
int ScaledForDpi(int pixels, int dpi = PaintDpi());
int UnscaledForDpi(int pixels, int dpi = PaintDpi());

class DpiScaling {
public:
    explicit DpiScaling(HDC dc, int dpi = PaintDpi());
    DpiScaling(const DpiScaling&) = delete;
    DpiScaling& operator=(const DpiScaling&) = delete;
    ~DpiScaling();

private:
    HDC dc_;
    bool scaled_ = false;
    int oldMode_ = 0;
    HFONT font_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
};
