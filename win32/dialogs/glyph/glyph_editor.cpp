#include "dialogs/glyph/glyph_editor.h"

#include <windowsx.h>

#include <string>

#include "app/dialog_selections.h"
#include "app/ui_text.h"
#include "common/controls.h"
#include "common/dialog.h"
#include "common/dpi_scaling.h"
#include "common/scoped.h"
#include "dialogs/glyph/glyph_editor_model.h"
#include "files/file_dialogs.h"
#include "link/link_state.h"
#include "protocol/device_model.h"
#include "protocol/glyph.h"
#include "protocol/reply_parser.h"
#include "resources/resource.h"

namespace {

HWND Editor = nullptr;

const wchar_t* const kSizeCaptions[] = {L"（LARGE）", L"（MEDIUM）", L"（SMALL）"};

const ControlField kFields[] = {
    {.id = IDC_GLYPH_SLOT_LIST,
     .fill = [](HWND dialog, int id) { FillNumberedList(dialog, id, GlyphSizeOf(GlyphEditor.sizeType).slotCount, 3); },
     .get = [] { return DialogSelections.glyphSlot; }, .set = SelectGlyphSlot},
    {.id = IDC_GLYPH_SAMPLE, .kind = kEditText, .text = GlyphEditor.sample, .textBytes = sizeof GlyphEditor.sample},
    {.id = IDC_GLYPH_SLAVE_LIST, .fill = [](HWND dialog, int id) { FillSlaveAddressList(dialog, id, false); },
     .get = [] { return static_cast<int>(SlaveAddress); }, .set = [](int line) { SlaveAddress = line; }},
};

// The extension of the open editor's size, for its file dialogs.
std::wstring Extension()
{
    return WideFromUtf8(GlyphSizeOf(GlyphEditor.sizeType).extension);
}

int ChooseOpenPath(char* path, size_t size)
{
    return ChooseFilePath(Editor, Extension().c_str(), false, path, size);
}

int ChooseSavePath(char* path, size_t size)
{
    return ChooseFilePath(Editor, Extension().c_str(), true, path, size);
}

void UpdateCaption(HWND dialog)
{
    std::wstring caption = L"外字登録  ";
    caption += kSizeCaptions[GlyphEditor.sizeType];
    caption += WideFromUtf8(GlyphEditor.path);
    SetWindowTextW(dialog, caption.c_str());
}

void RepaintGrid(HWND dialog)
{
    const GlyphRect grid = GlyphGridRect();
    const RECT area = {ScaledForDpi(grid.left), ScaledForDpi(grid.top), ScaledForDpi(grid.right),
                       ScaledForDpi(grid.bottom)};
    InvalidateRect(dialog, &area, TRUE);
}

// A glyph the unit sent replaced the bitmap (on the receive thread, or in
// the dialog's reply message).
void RepaintAfterReply()
{
    if (Editor)
        RepaintGrid(Editor);
}

// Dots with the default pen: white when lit, blue when dark.
class DotPainter {
public:
    explicit DotPainter(HDC dc)
        : dc_(dc), lit_(CreateSolidBrush(RGB(255, 255, 255))), dark_(CreateSolidBrush(RGB(0, 0, 255)))
    {
    }
    void Paint(int row, int column)
    {
        const bool lit = GetGlyphDot(DeviceModel.GlyphBitmap, GlyphEditor.sizeType, row, column);
        ScopedSelect brush(dc_, lit ? lit_.get() : dark_.get());
        const GlyphRect r = GlyphDotRect(GlyphEditor.sizeType, row, column);
        Rectangle(dc_, r.left, r.top, r.right, r.bottom);
    }

private:
    HDC dc_;
    ScopedBrush lit_;
    ScopedBrush dark_;
};

void PaintGrid(HWND dialog)
{
    ScopedPaint paint(dialog);
    const DpiScaling scaling(paint.dc());
    DotPainter painter(paint.dc());
    const int side = GlyphSizeOf(GlyphEditor.sizeType).dotsPerSide;
    for (int row = 0; row < side; ++row)
        for (int column = 0; column < side; ++column)
            painter.Paint(row, column);
}

void DrawChangedDot(HWND dialog, const GlyphDot& dot)
{
    ScopedWindowDc dc(dialog);
    const DpiScaling scaling(dc.dc());
    DotPainter(dc.dc()).Paint(dot.row, dot.column);
}

// The editor ends: nothing of it stays behind.
void Finish(HWND dialog)
{
    if (GetCapture() == dialog)
        ReleaseCapture();
    GlyphEditorClosed();
    GlyphRepaintHook = nullptr;
    GlyphFileUi = {nullptr, nullptr};
    Editor = nullptr;
    EndModalDialog(dialog, IDCANCEL);
}

void AfterFileOperation(HWND dialog, GlyphFileResult result)
{
    if (result == kGlyphFileDialogFailed)
        return Finish(dialog);
    if (result == kGlyphFileLoaded)
        RepaintGrid(dialog);
    UpdateCaption(dialog);
}

void Start(HWND dialog)
{
    Editor = dialog;
    GlyphFileUi = {ChooseOpenPath, ChooseSavePath};
    GlyphRepaintHook = RepaintAfterReply;
    EnableControl(dialog, IDC_GLYPH_SLAVE_LIST, IsRs485Link());
    UpdateCaption(dialog);
}

bool Command(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_GLYPH_NEW: AfterFileOperation(dialog, GlyphFileNew()); return true;
    case IDC_GLYPH_OPEN: AfterFileOperation(dialog, GlyphFileOpen()); return true;
    case IDC_GLYPH_SAVE: AfterFileOperation(dialog, GlyphFileSave()); return true;
    case IDC_GLYPH_SAVE_AS: AfterFileOperation(dialog, GlyphFileSaveAs()); return true;
    case IDC_GLYPH_SLOT_READ: ReadGlyphSlot(); return true;
    case IDC_GLYPH_REGISTER: RegisterGlyph(); return true;
    case IDC_GLYPH_SAMPLE_READ:
        StoreControls(dialog, std::span(kFields).subspan(1, 1));
        ReadGlyphSample();
        return true;
    case IDC_GLYPH_SAMPLE:
        if (code == EN_CHANGE)
            EnableControl(dialog, IDC_GLYPH_SAMPLE_READ, GetWindowTextLengthW(GetDlgItem(dialog, id)) > 0);
        return true;
    }
    return StorePickedField(dialog, kFields, id, code);
}

void Close(HWND dialog)
{
    if (GlyphEditorMayClose())
        Finish(dialog);
}

bool Mouse(HWND dialog, UINT message, LPARAM lParam)
{
    // The grid's dot rule is in 96-DPI pixels, as it is painted.
    const int x = UnscaledForDpi(GET_X_LPARAM(lParam));
    const int y = UnscaledForDpi(GET_Y_LPARAM(lParam));
    GlyphDot dot;
    bool changed = false;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        // Held while a button is down, so that a drag that leaves the grid
        // still ends with its button.
        if (GetCapture() != dialog)
            SetCapture(dialog);
        changed = GlyphPenDown(message == WM_LBUTTONDOWN ? kPenPaints : kPenErases, x, y, dot);
        break;
    case WM_MOUSEMOVE:
        changed = GlyphPenMove(x, y, dot);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        GlyphPenUp(message == WM_LBUTTONUP ? kPenPaints : kPenErases);
        if (GlyphEditor.pen == kPenUp && GetCapture() == dialog)
            ReleaseCapture();
        break;
    default:
        return false;
    }
    if (changed)
        DrawChangedDot(dialog, dot);
    return true;
}

bool Message(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        PaintGrid(dialog);
        return true;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a message box): no button is down here any more.
        if (reinterpret_cast<HWND>(lParam) != dialog)
            GlyphEditor.pen = kPenUp;
        return true;
    }
    return Mouse(dialog, message, lParam);
}

} // namespace

void RunGlyphEditor(HWND owner, int sizeType)
{
    OpenGlyphEditor(sizeType);
    const ModalDialog dialog = {
        .templateId = IDD_GLYPH_EDITOR,
        .title = L"外字登録",
        .caption = kCaptionWithoutPath,
        .closeId = IDC_GLYPH_CLOSE,
        .fields = kFields,
        .handlers = {.start = Start, .command = Command, .close = Close, .message = Message},
    };
    RunModalDialog(owner, dialog);
}
