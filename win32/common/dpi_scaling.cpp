#include "common/dpi_scaling.h"

int PaintDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int ScaledForDpi(int pixels, int dpi)
{
    return MulDiv(pixels, dpi, 96);
}

int UnscaledForDpi(int pixels, int dpi)
{
    return MulDiv(pixels, 96, dpi);
}

DpiScaling::DpiScaling(HDC dc, int dpi) : dc_(dc)
{
    if (dpi == 96 || dpi <= 0)
        return;
    oldMode_ = SetGraphicsMode(dc_, GM_ADVANCED);
    const float scale = static_cast<float>(dpi) / 96.0f;
    const XFORM transform = {scale, 0.0f, 0.0f, scale, 0.0f, 0.0f};
    if (!oldMode_ || !SetWorldTransform(dc_, &transform)) {
        if (oldMode_)
            SetGraphicsMode(dc_, oldMode_);
        return;   // painted unscaled rather than not at all
    }
    scaled_ = true;
    // The DC's font already has the DPI's size: under the transform it would
    // grow a second time, so it is replaced by the same font at 96 DPI.
    LOGFONTW font;
    if (GetObjectW(GetCurrentObject(dc_, OBJ_FONT), sizeof font, &font) == sizeof font) {
        font.lfHeight = MulDiv(font.lfHeight, 96, dpi);
        font.lfWidth = MulDiv(font.lfWidth, 96, dpi);
        font_ = CreateFontIndirectW(&font);
        if (font_)
            oldFont_ = SelectObject(dc_, font_);
    }
}

DpiScaling::~DpiScaling()
{
    if (!scaled_)
        return;
    if (font_) {
        SelectObject(dc_, oldFont_);
        DeleteObject(font_);
    }
    ModifyWorldTransform(dc_, nullptr, MWT_IDENTITY);
    SetGraphicsMode(dc_, oldMode_);
}
