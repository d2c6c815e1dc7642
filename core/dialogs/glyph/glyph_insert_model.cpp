#include "dialogs/glyph/glyph_insert_model.h"

#include "app/dialog_selections.h"
#include "dialogs/routing/channel_table_model.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "protocol/glyph.h"

namespace {

const GlyphSizeInfo& Size()
{
    return GlyphSizeOf(DialogSelections.glyphInsertSize);
}

void ClampTo(int& line, int lines)
{
    if (line < 0 || line >= lines)
        line = lines - 1;
}

void Pick(int& field, int line, int lines)
{
    if (line >= 0 && line < lines)
        field = line;
}

void ClampSizeLists()
{
    ClampTo(DialogSelections.glyphSlot, GlyphInsertSlotLines());
    ClampTo(DialogSelections.glyphInsertPosition, GlyphInsertPositionLines());
}

} // namespace

int GlyphInsertSlotLines()
{
    return Size().slotCount;
}

int GlyphInsertPositionLines()
{
    return Size().titlePositions;
}

void OpenGlyphInsert()
{
    ClampTo(DialogSelections.glyphInsertSize, 3);
    ClampTo(DialogSelections.inputChannel, DeviceModel.ChannelCount);
    ClampSizeLists();
}

bool SelectGlyphInsertSize(int line)
{
    if (line < 0 || line > kGlyphSmall)
        return false;
    DialogSelections.glyphInsertSize = line;
    ClampSizeLists();
    return true;
}

void SelectGlyphInsertChannel(int line)
{
    Pick(DialogSelections.inputChannel, line, DeviceModel.ChannelCount);
}

void SelectGlyphInsertSlot(int line)
{
    Pick(DialogSelections.glyphSlot, line, GlyphInsertSlotLines());
}

void SelectGlyphInsertPosition(int line)
{
    Pick(DialogSelections.glyphInsertPosition, line, GlyphInsertPositionLines());
}

bool SendGlyphInsertion()
{
    return ReadyForSingleCommand() &&
           SendGlyphInsert(DeviceModel, DialogSelections.glyphInsertSize, DialogSelections.glyphSlot,
                           DialogSelections.inputChannel, DialogSelections.glyphInsertPosition);
}
