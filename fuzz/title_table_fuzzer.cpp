// The titles table reader of the command-line tool, its CSV reader and the
// code page 932 conversion both ways. Input: the table's bytes.
//
// Invariants: every record the CSV reader takes, written again cell by cell,
// reads back as the same cells. Text that converts, converted back and again,
// gives the same text (whichever of two codes a character has, it means that
// character). A refused table leaves the model byte for byte as it was and
// names a line of the table for every problem; an accepted one changes the
// title fields alone, leaves a model whose settings file reads back, and the
// table of that model, written and read back, changes nothing: in UTF-8 with
// and without a byte order mark, and in code page 932.
#include <algorithm>
#include <string>
#include <vector>

#include "cli/csv.h"
#include "cli/title_table.h"
#include "cli/utf8.h"
#include "files/settings_file.h"
#include "fuzz_support.h"

namespace {

// The fields a table may change, copied from `from`.
void CopyTitleFields(DeviceModelData& into, const DeviceModelData& from)
{
    memcpy(into.TitleText, from.TitleText, sizeof into.TitleText);
    memcpy(into.TitleDisplayInput, from.TitleDisplayInput, sizeof into.TitleDisplayInput);
    memcpy(into.TitlePosition, from.TitlePosition, sizeof into.TitlePosition);
    memcpy(into.TitleFontSize, from.TitleFontSize, sizeof into.TitleFontSize);
}

void CheckCsvRecords(const char* text, size_t size)
{
    CsvReader reader(text, size);
    for (CsvRecord record; reader.Next(record);) {
        // A record of one empty cell is a blank line, which is skipped.
        if (!record.error.empty() || (record.cells.size() == 1 && record.cells[0].empty()))
            continue;
        // Written as a document of its own, after a byte order mark: a first
        // cell that begins with one keeps it.
        std::string written = "\xEF\xBB\xBF";
        for (size_t k = 0; k < record.cells.size(); ++k)
            written += (k ? "," : "") + CsvCell(record.cells[k]);
        CsvReader again(written.data(), written.size());
        CsvRecord read;
        KVR_FUZZ_CHECK(again.Next(read) && read.error.empty() && read.cells == record.cells);
        KVR_FUZZ_CHECK(!again.Next(read));
    }
}

void CheckCodePage(const char* text, size_t size)
{
    const std::string bytes(text, size);
    std::string converted, back, again;
    if (ShiftJisToUtf8(bytes, converted)) {
        KVR_FUZZ_CHECK(IsUtf8(converted));
        KVR_FUZZ_CHECK(Utf8ToShiftJis(converted, back) && ShiftJisToUtf8(back, again) && again == converted);
    }
    if (Utf8ToShiftJis(bytes, converted)) {
        KVR_FUZZ_CHECK(ShiftJisToUtf8(converted, back) && Utf8ToShiftJis(back, again) && again == converted);
    }
}

// Applying a table of `model` to a copy of it changes nothing.
void CheckReadBack(const std::string& table, const DeviceModelData& model, TableEncoding encoding)
{
    static DeviceModelData check;
    memcpy(&check, &model, sizeof check);
    const TitleTableRead read = ApplyTitleTable(table.data(), table.size(), check);
    KVR_FUZZ_CHECK(read.problems.empty() && read.encoding == encoding);
    KVR_FUZZ_CHECK(SameModel(check, model));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static DeviceModelData model, before, check;
    ResetModelToStartValues(model);
    // A title the unit cannot show, as the title dialog may keep one: a row
    // may keep it unchecked only for its own channel.
    memcpy(model.TitleText[1], "ABC", 4);
    memcpy(&before, &model, sizeof before);

    const char* text = reinterpret_cast<const char*>(data);
    CheckCsvRecords(text, size);
    CheckCodePage(text, size);
    const TitleTableRead read = ApplyTitleTable(text, size, model);
    if (!read.problems.empty()) {
        KVR_FUZZ_CHECK(SameModel(model, before));
        const int lines = 1 + static_cast<int>(std::count(text, text + size, '\n'));
        for (const TableProblem& problem : read.problems) {
            KVR_FUZZ_CHECK(problem.line >= 1 && problem.line <= lines);
            KVR_FUZZ_CHECK(!problem.reason.empty());
        }
        return 0;
    }
    KVR_FUZZ_CHECK(read.encoding != TableEncoding::kNone);

    memcpy(&check, &model, sizeof check);
    CopyTitleFields(check, before);
    KVR_FUZZ_CHECK(SameModel(check, before));

    std::string file;
    FormatSettingsFile(model, file);
    ResetModelToStartValues(check);
    KVR_FUZZ_CHECK(ParseSettingsFile(file.data(), file.size(), check).result == kSettingsOk);

    std::string table, codePage;
    std::vector<std::string> problems;
    KVR_FUZZ_CHECK(FormatTitleTable(model, table, problems, true));
    CheckReadBack(table, model, TableEncoding::kUtf8);
    KVR_FUZZ_CHECK(FormatTitleTable(model, table, problems, false));
    CheckReadBack(table, model, TableEncoding::kUtf8);
    // Code page 932 that happens to be UTF-8 as well is read as UTF-8.
    KVR_FUZZ_CHECK(Utf8ToShiftJis(table, codePage));
    if (!IsUtf8(codePage))
        CheckReadBack(codePage, model, TableEncoding::kCodePage932);
    return 0;
}
