// The settings file reader. Input: the file's bytes.
//
// Invariants: a refused file leaves the model byte-for-byte as it was, and
// says on which line it stopped; an accepted file, written out again and read
// back into a fresh model, gives the same model.
#include <string>

#include "fuzz_support.h"
#include "files/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static DeviceModelData model;
    static DeviceModelData before;
    ResetModelToStartValues(model);
    memcpy(&before, &model, sizeof before);

    const SettingsFileError error = ParseSettingsFile(reinterpret_cast<const char*>(data), size, model);
    if (error.result != kSettingsOk) {
        KVR_FUZZ_CHECK(SameModel(model, before));
        KVR_FUZZ_CHECK(error.result == kSettingsTooLarge || (error.line >= 1 && error.line <= kSettingsFileLines));
        return 0;
    }
    KVR_FUZZ_CHECK(error.line == 0);

    std::string text;
    FormatSettingsFile(model, text);
    static DeviceModelData again;
    ResetModelToStartValues(again);
    KVR_FUZZ_CHECK(ParseSettingsFile(text.data(), text.size(), again).result == kSettingsOk);
    KVR_FUZZ_CHECK(SameModel(again, model));
    return 0;
}
