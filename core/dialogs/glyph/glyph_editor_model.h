// The glyph editor without its window: the grid's geometry, which dot a mouse
// point changes, the editor's file operations on the one GlyphBitmap, and
// what its buttons send. The Windows dialog paints the grid and turns mouse
// and button events into the calls below.
#pragma once

#include <cstddef>

#include "files/settings_file.h"

// The grid: dotsPerSide squares of gridSquare pixels each way from this
// client point, 480 pixels in every size.
constexpr int kGlyphGridOrigin = 10;
constexpr int kGlyphGridPixels = 480;

struct GlyphRect {
    int left, top, right, bottom;
};

// The square of dot (row, column) in dialog client pixels.
GlyphRect GlyphDotRect(int sizeType, int row, int column);
// The whole grid (the same in every size).
GlyphRect GlyphGridRect();

struct GlyphDot {
    int row, column;
};

// The dot the mouse changes at client point (x, y): only points strictly
// inside the outer ring of dots count, so that ring can be shown but not
// changed with the mouse.
bool GlyphDotAt(int sizeType, int x, int y, GlyphDot& dot);

enum GlyphPen { kPenUp, kPenPaints, kPenErases };

struct GlyphEditorState {
    int sizeType = 2;
    GlyphPen pen = kPenUp;
    // Set by every dot the mouse changes; separate from SettingsModified.
    bool modified = false;
    // The glyph file (UTF-8); empty when the bitmap has none.
    char path[kFilePathBytes] = {};
    // The sample field: at most two bytes of Shift-JIS.
    char sample[3] = {};
};

// The one editor of the program (one modal dialog at a time).
extern GlyphEditorState GlyphEditor;

// The file dialogs of glyph files of the open editor's size (*.txs, *.txm or
// *.txl): show one starting at `path`; on kChooseOk the chosen path is there.
// Files are opened through FileUi.openFile.
struct GlyphFileUiOps {
    int (*chooseOpenPath)(char* path, size_t size);
    int (*chooseSavePath)(char* path, size_t size);
};
extern GlyphFileUiOps GlyphFileUi;

// At the start of an editor of this size: the pen up, nothing changed, the
// sample empty, the kept registration slot set back into the size's slots.
void OpenGlyphEditor(int sizeType);

// The mouse. A button press lifts the other pen; the dot under the point is
// treated at once, then every reported move while a pen is down. True when a
// dot changed (it is in `changed`): it must be drawn at once.
bool GlyphPenDown(GlyphPen pen, int x, int y, GlyphDot& changed);
bool GlyphPenMove(int x, int y, GlyphDot& changed);
// The button of `pen` was released.
void GlyphPenUp(GlyphPen pen);

// What a file operation did, and so what the dialog must do next.
enum GlyphFileResult {
    kGlyphFileKept,          // nothing new to show (cancelled, refused, or failed with a message)
    kGlyphFileSaved,         // written: the caption shows the path
    kGlyphFileLoaded,        // the bitmap was replaced (New, Open): repaint, and the caption
    kGlyphFileDialogFailed,  // a file dialog failed: the message was shown, the editor ends
};

// When dots are unsaved, the save question first; a Yes whose save does not
// happen stops New and Open, and keeps the dots marked as unsaved.
GlyphFileResult GlyphFileNew();
// A file whose first word is not exactly the size's hexadecimal digits is
// refused with a message and the bitmap stays as it was.
GlyphFileResult GlyphFileOpen();
GlyphFileResult GlyphFileSave();
GlyphFileResult GlyphFileSaveAs();

// "Close" or the close box: true when the editor may end (nothing unsaved,
// No, or a save that happened; also a file dialog that failed, which ends
// the editor anyway). Then GlyphEditorClosed.
bool GlyphEditorMayClose();
// Clears the bitmap, the path and the changed flag, and ends the transaction.
void GlyphEditorClosed();

// "リード" of the registration group, "リード" of the sample (its two bytes
// taken as one code) and "登録": nothing while a command is outstanding.
bool ReadGlyphSlot();
bool ReadGlyphSample();
bool RegisterGlyph();
// The registration list picked a line; one outside the size's slots is ignored.
void SelectGlyphSlot(int line);
