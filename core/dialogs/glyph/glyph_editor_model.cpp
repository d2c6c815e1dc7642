#include "dialogs/glyph/glyph_editor_model.h"

#include <cstdio>
#include <cstring>

#include "app/dialog_selections.h"
#include "app/main_commands.h"
#include "dialogs/routing/channel_table_model.h"
#include "files/glyph_file.h"
#include "files/settings_operations.h"
#include "link/message_ops.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "protocol/glyph.h"

GlyphEditorState GlyphEditor;
GlyphFileUiOps GlyphFileUi = {nullptr, nullptr};

namespace {

const GlyphSizeInfo& Size()
{
    return GlyphSizeOf(GlyphEditor.sizeType);
}

// Treats one point with the pen that is down.
bool Treat(int x, int y, GlyphDot& changed)
{
    GlyphDot dot;
    if (GlyphEditor.pen == kPenUp || !GlyphDotAt(GlyphEditor.sizeType, x, y, dot))
        return false;
    const bool lit = GlyphEditor.pen == kPenPaints;
    unsigned char* bitmap = DeviceModel.GlyphBitmap;
    if (GetGlyphDot(bitmap, GlyphEditor.sizeType, dot.row, dot.column) == lit)
        return false;
    SetGlyphDot(bitmap, GlyphEditor.sizeType, dot.row, dot.column, lit);
    GlyphEditor.modified = true;
    changed = dot;
    return true;
}

void ShowUnreadableFile()
{
    char text[160];
    snprintf(text, sizeof text,
             "外字ファイルとして読み込めませんでした。\n%d 桁の16進数の行がありません。\n外字は変更されていません。",
             2 * Size().bitmapBytes);
    ShowMessage({text, "エラー", kIconError, kButtonsOk, true, kOwnerNone});
}

// Writes the bitmap to `path`; reports and returns false when that fails.
bool WriteTo(const char* path)
{
    // Whole or not at all: a failed save leaves the file it replaces as it was.
    const bool written = SaveWholeFile(
        path, [](FILE* file) { return WriteGlyphFile(file, DeviceModel.GlyphBitmap, GlyphEditor.sizeType); });
    if (!written) {
        ShowFileWriteError();
        return false;
    }
    GlyphEditor.modified = false;
    return true;
}

// The save question before New and Open: true when they may go on.
// kGlyphFileDialogFailed in `failure` when the save's dialog failed.
bool MayDiscard(GlyphFileResult& failure)
{
    failure = kGlyphFileKept;
    if (!GlyphEditor.modified || !AskToSaveChanges(kOwnerNone))
        return true;
    failure = GlyphFileSave();
    return failure == kGlyphFileSaved;
}

} // namespace

GlyphRect GlyphDotRect(int sizeType, int row, int column)
{
    const int s = GlyphSizeOf(sizeType).gridSquare;
    return {kGlyphGridOrigin + column * s, kGlyphGridOrigin + row * s, kGlyphGridOrigin + (column + 1) * s,
            kGlyphGridOrigin + (row + 1) * s};
}

GlyphRect GlyphGridRect()
{
    return {kGlyphGridOrigin, kGlyphGridOrigin, kGlyphGridOrigin + kGlyphGridPixels,
            kGlyphGridOrigin + kGlyphGridPixels};
}

bool GlyphDotAt(int sizeType, int x, int y, GlyphDot& dot)
{
    const int s = GlyphSizeOf(sizeType).gridSquare;
    const int gx = x - kGlyphGridOrigin;
    const int gy = y - kGlyphGridOrigin;
    if (gx <= s || gx >= kGlyphGridPixels - s || gy <= s || gy >= kGlyphGridPixels - s)
        return false;
    dot = {gy / s, gx / s};
    return true;
}

void OpenGlyphEditor(int sizeType)
{
    GlyphEditor.sizeType = sizeType;
    GlyphEditor.pen = kPenUp;
    GlyphEditor.modified = false;
    GlyphEditor.sample[0] = '\0';
    int& slot = DialogSelections.glyphSlot;
    if (slot < 0 || slot >= Size().slotCount)
        slot = Size().slotCount - 1;
}

bool GlyphPenDown(GlyphPen pen, int x, int y, GlyphDot& changed)
{
    GlyphEditor.pen = pen;
    return Treat(x, y, changed);
}

bool GlyphPenMove(int x, int y, GlyphDot& changed)
{
    return Treat(x, y, changed);
}

void GlyphPenUp(GlyphPen pen)
{
    if (GlyphEditor.pen == pen)
        GlyphEditor.pen = kPenUp;
}

GlyphFileResult GlyphFileNew()
{
    GlyphFileResult failure;
    if (!MayDiscard(failure))
        return failure;
    GlyphEditor.modified = false;
    GlyphEditor.path[0] = '\0';
    memset(DeviceModel.GlyphBitmap, 0, sizeof DeviceModel.GlyphBitmap);
    return kGlyphFileLoaded;
}

GlyphFileResult GlyphFileOpen()
{
    GlyphFileResult failure;
    if (!MayDiscard(failure))
        return failure;
    char chosen[kFilePathBytes];
    snprintf(chosen, sizeof chosen, "%s", GlyphEditor.path);
    FILE* file = nullptr;
    const int result = ChooseFileToRead(GlyphFileUi.chooseOpenPath, chosen, sizeof chosen, file);
    if (result == kChooseFailed) {
        ShowFileDialogFailure();
        return kGlyphFileDialogFailed;
    }
    if (result != kChooseOk)
        return kGlyphFileKept;
    const bool read = ReadGlyphFile(file, GlyphEditor.sizeType, DeviceModel.GlyphBitmap);
    fclose(file);
    if (!read) {
        ShowUnreadableFile();
        return kGlyphFileKept;
    }
    GlyphEditor.modified = false;
    snprintf(GlyphEditor.path, sizeof GlyphEditor.path, "%s", chosen);
    return kGlyphFileLoaded;
}

GlyphFileResult GlyphFileSave()
{
    if (GlyphEditor.path[0] == '\0')
        return GlyphFileSaveAs();
    return WriteTo(GlyphEditor.path) ? kGlyphFileSaved : kGlyphFileKept;
}

GlyphFileResult GlyphFileSaveAs()
{
    char chosen[kFilePathBytes];
    snprintf(chosen, sizeof chosen, "%s", GlyphEditor.path);
    const int result = GlyphFileUi.chooseSavePath ? GlyphFileUi.chooseSavePath(chosen, sizeof chosen)
                                                  : kChooseCancelled;
    if (result == kChooseFailed) {
        ShowFileDialogFailure();
        return kGlyphFileDialogFailed;
    }
    if (result != kChooseOk || !WriteTo(chosen))
        return kGlyphFileKept;
    snprintf(GlyphEditor.path, sizeof GlyphEditor.path, "%s", chosen);
    return kGlyphFileSaved;
}

bool GlyphEditorMayClose()
{
    GlyphFileResult failure;
    return MayDiscard(failure) || failure == kGlyphFileDialogFailed;
}

void GlyphEditorClosed()
{
    memset(DeviceModel.GlyphBitmap, 0, sizeof DeviceModel.GlyphBitmap);
    GlyphEditor.path[0] = '\0';
    GlyphEditor.modified = false;
    GlyphEditor.pen = kPenUp;
    // The read asked for is no longer open: a reply that still comes
    // belongs to no request and is refused.
    DeviceModel.RequestedGlyphCode[0] = '\0';
    ResetTransaction();
}

// No unit answers a broadcast: a read there could only pretend to succeed,
// so it is refused before anything is sent. (A glyph may be sent to every
// unit at once.)
bool ReadGlyphSlot()
{
    return ReadyForSingleCommand() && BroadcastGuardPasses() &&
           SendGlyphReadSlot(DeviceModel, GlyphEditor.sizeType, DialogSelections.glyphSlot);
}

bool ReadGlyphSample()
{
    return ReadyForSingleCommand() && BroadcastGuardPasses() &&
           SendGlyphReadSample(DeviceModel, GlyphEditor.sizeType, GlyphEditor.sample);
}

bool RegisterGlyph()
{
    return ReadyForSingleCommand() && SendGlyphRegister(DeviceModel, GlyphEditor.sizeType, DialogSelections.glyphSlot);
}

void SelectGlyphSlot(int line)
{
    if (line >= 0 && line < Size().slotCount)
        DialogSelections.glyphSlot = line;
}
