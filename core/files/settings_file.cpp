#include "files/settings_file.h"

#include <climits>
#include <cstring>
#include <memory>

#include "files/settings_layout.h"
#include "link/text_conversions.h"

char CurrentFilePath[kFilePathBytes];
std::atomic<int32_t> SettingsModified{0};

namespace {

const unsigned char kSpace[2] = {0x81, 0x40};     // full-width space
const unsigned char kAsterisk[2] = {0x81, 0x96};  // full-width asterisk

// Larger than any settings file can be (3,647 short lines and 64 titles).
const size_t kSettingsFileLimit = 1 << 20;

bool IsPair(const unsigned char* p, const unsigned char (&pair)[2])
{
    return p[0] == pair[0] && p[1] == pair[1];
}

bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Counts the lines up to the one that holds a given field.
struct LineFinder {
    const void* field;
    int line = 0;
    int found = 0;

    void Visit(const void* at)
    {
        ++line;
        if (at == field && found == 0)
            found = line;
    }
    void Number(int& value, int, int, const Setting&) { Visit(&value); }
    void Title(char* slot, const Setting&) { Visit(slot); }
    void Password(char* password, const Setting&) { Visit(password); }
};

struct Writer {
    std::string& out;

    void Number(int& value, int, int, const Setting&)
    {
        char text[16];
        snprintf(text, sizeof text, "%d\r\n", value);
        out += text;
    }

    // Full-width spaces are written as full-width asterisks, so that a title
    // never holds the blank that once delimited the reader's tokens; an empty
    // title is 28 asterisks. Control characters, which a title cannot carry to
    // the unit anyway, become half-width blanks so that the line stays one line.
    void Title(char* slot, const Setting&)
    {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(slot);
        const size_t length = strnlen(slot, kTitleSlotBytes);
        if (length == 0) {
            for (int i = 0; i < kTitleCharacters; ++i)
                out.append(reinterpret_cast<const char*>(kAsterisk), 2);
        }
        for (size_t i = 0; i < length; ++i) {
            if (IsLeadByte(bytes[i]) && i + 1 < length) {
                const unsigned char* pair = IsPair(bytes + i, kSpace) ? kAsterisk : bytes + i;
                out.append(reinterpret_cast<const char*>(pair), 2);
                ++i;
            } else {
                out += bytes[i] < 0x20 ? ' ' : static_cast<char>(bytes[i]);
            }
        }
        out += "\r\n";
    }

    // A password holds digits only (the unit takes nothing else, and the
    // reader refuses anything else): other bytes are not written.
    void Password(char* password, const Setting&)
    {
        for (size_t i = 0; i < strnlen(password, kPasswordLength); ++i)
            if (password[i] >= '0' && password[i] <= '9')
                out += password[i];
        out += "\r\n";
    }
};

// Walks the file's lines. Run once to check every line without storing, then
// once more to store: the model changes only when the whole file is good.
struct Reader {
    const char* data;
    size_t size;
    size_t position;
    int lineNumber;
    bool store;
    SettingsFileError error;
    Setting current{};   // the setting of the line being read

    bool NextLine(const char*& text, size_t& length, const Setting& setting)
    {
        if (error.result != kSettingsOk)
            return false;
        ++lineNumber;
        current = setting;
        if (position >= size) {
            Fail(kSettingsTooShort);
            return false;
        }
        const char* start = data + position;
        const void* end = memchr(start, '\n', size - position);
        length = end ? static_cast<size_t>(static_cast<const char*>(end) - start) : size - position;
        position += length + (end ? 1 : 0);
        if (length > 0 && start[length - 1] == '\r')
            --length;
        text = start;
        return true;
    }

    void Fail(SettingsFileResult result)
    {
        error = {result, lineNumber, current};
    }

    void Number(int& field, int low, int high, const Setting& setting)
    {
        const char* text;
        size_t length;
        if (!NextLine(text, length, setting))
            return;
        size_t i = 0;
        while (i < length && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        bool negative = false;
        if (i < length && (text[i] == '-' || text[i] == '+'))
            negative = text[i++] == '-';
        const size_t digitsStart = i;
        long long value = 0;
        while (i < length && text[i] >= '0' && text[i] <= '9' && value <= INT_MAX)
            value = value * 10 + (text[i++] - '0');
        const size_t digitsEnd = i;
        while (i < length && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (digitsEnd == digitsStart || i != length)
            return Fail(value > INT_MAX ? kSettingsOutOfRange : kSettingsNotANumber);
        if (negative)
            value = -value;
        if (value < low || value > high)
            return Fail(kSettingsOutOfRange);
        if (store)
            field = static_cast<int>(value);
    }

    void Title(char* slot, const Setting& setting)
    {
        const char* text;
        size_t length;
        if (!NextLine(text, length, setting))
            return;
        if (length > static_cast<size_t>(kTitleMaxBytes))
            return Fail(kSettingsTokenTooLong);
        // The writer turns a control character outside a double-byte pair
        // into a blank, and a NUL anywhere ends the title it writes, so a file
        // holding either was not written by the program and would not read
        // back as it was read.
        const unsigned char* line = reinterpret_cast<const unsigned char*>(text);
        if (memchr(line, '\0', length))
            return Fail(kSettingsBadTitle);
        for (size_t i = 0; i < length; ++i) {
            if (IsLeadByte(line[i]) && i + 1 < length)
                ++i;
            else if (line[i] < 0x20)
                return Fail(kSettingsBadTitle);
        }
        if (!store)
            return;
        memset(slot, 0, kTitleSlotBytes);
        memcpy(slot, text, length);
        unsigned char* bytes = reinterpret_cast<unsigned char*>(slot);
        bool allSpaces = length == static_cast<size_t>(kTitleMaxBytes);
        for (size_t i = 0; i < length; ++i) {
            if (IsLeadByte(bytes[i]) && i + 1 < length) {
                if (IsPair(bytes + i, kAsterisk))
                    memcpy(bytes + i, kSpace, 2);
                allSpaces = allSpaces && IsPair(bytes + i, kSpace);
                ++i;
            } else {
                allSpaces = false;
            }
        }
        if (allSpaces)
            memset(slot, 0, kTitleSlotBytes);
    }

    void Password(char* password, const Setting& setting)
    {
        const char* text;
        size_t length;
        if (!NextLine(text, length, setting))
            return;
        if (length > static_cast<size_t>(kPasswordLength))
            return Fail(kSettingsTokenTooLong);
        if (!IsDecimalDigits(text, static_cast<int>(length)))
            return Fail(kSettingsNotANumber);
        if (!store)
            return;
        memset(password, 0, kPasswordLength + 1);
        memcpy(password, text, length);
    }
};

} // namespace

void FormatSettingsFile(const DeviceModelData& model, std::string& text)
{
    text.clear();
    text.reserve(24 * 1024);
    Writer writer{text};
    // The writer only reads the fields; the visitor takes them by reference
    // so that one walk serves the reader too.
    VisitSettings(const_cast<DeviceModelData&>(model), writer);
}

SettingsFileError ParseSettingsFile(const char* data, size_t size, DeviceModelData& model)
{
    if (size > kSettingsFileLimit)
        return {kSettingsTooLarge, 0};
    for (bool store : {false, true}) {
        Reader reader{data, size, 0, 0, store, {kSettingsOk, 0}};
        VisitSettings(model, reader);
        if (reader.error.result != kSettingsOk)
            return reader.error;
    }
    SyncHoldTimeText(model.AlarmSettings);
    return {kSettingsOk, 0};
}

bool ReadWholeFile(FILE* file, std::string& data, size_t limit)
{
    data.clear();
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (data.size() + got > limit)
            return false;
        data.append(chunk, got);
    }
    return !ferror(file);
}

bool WriteWholeFile(FILE* file, const std::string& data)
{
    if (fwrite(data.data(), 1, data.size(), file) != data.size())
        return false;
    return fflush(file) == 0;
}

SettingsFileResult WriteSettingsFile(FILE* file, const DeviceModelData& model)
{
    std::string text;
    FormatSettingsFile(model, text);
    return WriteWholeFile(file, text) ? kSettingsOk : kSettingsReadFailed;
}

SettingsFileError ReadSettingsFile(FILE* file, DeviceModelData& model)
{
    std::string data;
    if (!ReadWholeFile(file, data, kSettingsFileLimit + 1))
        return {ferror(file) ? kSettingsReadFailed : kSettingsTooLarge, 0};
    return ParseSettingsFile(data.data(), data.size(), model);
}

int SettingsFileLineOf(const DeviceModelData& model, const void* field)
{
    // The walk needs a model it may hand out as writable; the field's place
    // in the copy is its place in the model.
    const char* base = reinterpret_cast<const char*>(&model);
    const char* at = static_cast<const char*>(field);
    if (at < base || at >= base + sizeof model)
        return 0;
    auto copy = std::make_unique<DeviceModelData>(model);
    LineFinder finder{reinterpret_cast<const char*>(copy.get()) + (at - base)};
    VisitSettings(*copy, finder);
    return finder.found;
}
