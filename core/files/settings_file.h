// The settings data file (*.dat): a whole set of unit settings, one value per
// line in a fixed order, Shift-JIS text. Reading is all-or-nothing: a file
// that does not fit the layout leaves the model exactly as it was.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "files/settings_layout.h"
#include "protocol/device_model.h"

constexpr int kSettingsFileLines = 3647;
// Paths are kept in UTF-8, so that any file name survives whatever the
// Windows code page; the buffer takes the longest path the file dialogs give.
constexpr int kFilePathBytes = 2048;

// Full path of the file last opened or saved; empty when the set has none.
extern char CurrentFilePath[kFilePathBytes];
// 1 when the model was edited since the last New, Open or Save.
extern std::atomic<int32_t> SettingsModified;

enum SettingsFileResult {
    kSettingsOk = 0,
    kSettingsOpenFailed,     // the file could not be opened
    kSettingsReadFailed,     // reading or writing the file failed
    kSettingsTooShort,       // fewer lines than the layout has
    kSettingsNotANumber,     // a line where a number belongs holds something else
    kSettingsOutOfRange,     // a number outside what its field can hold
    kSettingsTokenTooLong,   // a title or password longer than its field
    kSettingsTooLarge,       // far larger than any settings file
    kSettingsBadTitle,       // a title holding a control character, which no written file has
};

struct SettingsFileError {
    SettingsFileResult result;
    int line;   // 1-based line the reader stopped at; 0 when not about a line
    // The setting that line holds (its table is null when not about a line):
    // "display pattern 1, output 4" says where to look better than a number.
    Setting setting{};
};

// The file's text for a model, with CR LF line ends.
void FormatSettingsFile(const DeviceModelData& model, std::string& text);
// Loads the file's text into the model; on any error the model is unchanged.
// Lines may end in LF or CR LF; lines after the layout are ignored.
SettingsFileError ParseSettingsFile(const char* data, size_t size, DeviceModelData& model);

// The 1-based line of the file that holds `field` of `model` (a number, a
// title slot or the password); 0 when the file holds no such line.
int SettingsFileLineOf(const DeviceModelData& model, const void* field);

// The same on an open stdio file (the caller opens and closes it).
SettingsFileResult WriteSettingsFile(FILE* file, const DeviceModelData& model);
SettingsFileError ReadSettingsFile(FILE* file, DeviceModelData& model);

// Whole-file helpers shared with the glyph files. ReadWholeFile refuses files
// larger than `limit` bytes.
bool ReadWholeFile(FILE* file, std::string& data, size_t limit);
bool WriteWholeFile(FILE* file, const std::string& data);
