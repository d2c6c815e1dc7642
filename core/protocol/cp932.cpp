#include "protocol/cp932.h"

#include <algorithm>

#include "protocol/cp932_table.h"

namespace {

// The user-defined area: lead bytes 0xF0..0xF9, 188 trail bytes each
// (0x40..0x7E, 0x80..0xFC), in order onto U+E000..U+E757.
constexpr uint16_t kUserDefinedFirst = 0xE000;
constexpr int kUserDefinedPerLead = 188;
constexpr uint32_t kUserDefinedLast = kUserDefinedFirst + 10 * kUserDefinedPerLead - 1;

bool Find(const Cp932Pair* table, size_t count, uint32_t key, uint16_t& value)
{
    const Cp932Pair* end = table + count;
    const Cp932Pair* found =
        std::lower_bound(table, end, key, [](const Cp932Pair& pair, uint32_t k) { return pair.key < k; });
    if (found == end || found->key != key)
        return false;
    value = found->value;
    return true;
}

} // namespace

bool Cp932ToUnicode(uint16_t code, uint16_t& character)
{
    const unsigned lead = code >> 8;
    const unsigned trail = code & 0xFF;
    if (lead >= 0xF0 && lead <= 0xF9) {
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC)
            return false;
        character = static_cast<uint16_t>(kUserDefinedFirst + (lead - 0xF0) * kUserDefinedPerLead +
                                          (trail - (trail < 0x7F ? 0x40 : 0x41)));
        return true;
    }
    return Find(kCp932ToUnicode, kCp932ToUnicodeCount, code, character);
}

bool UnicodeToCp932(uint32_t character, uint16_t& code)
{
    if (character >= kUserDefinedFirst && character <= kUserDefinedLast) {
        const unsigned offset = character - kUserDefinedFirst;
        const unsigned trail = offset % kUserDefinedPerLead;
        const unsigned lead = 0xF0 + offset / kUserDefinedPerLead;
        code = static_cast<uint16_t>((lead << 8) | (trail + (trail < 0x3F ? 0x40 : 0x41)));
        return true;
    }
    return Find(kUnicodeToCp932, kUnicodeToCp932Count, character, code);
}

bool NextCp932(const char* text, size_t size, size_t& at, uint16_t& character)
{
    if (at >= size)
        return false;
    const unsigned char first = static_cast<unsigned char>(text[at]);
    if (Cp932ToUnicode(first, character)) {
        ++at;
        return true;
    }
    // No single-byte code: a lead byte, if anything.
    if (at + 1 >= size)
        return false;
    const uint16_t code = static_cast<uint16_t>((first << 8) | static_cast<unsigned char>(text[at + 1]));
    if (first < 0x81 || !Cp932ToUnicode(code, character))
        return false;
    at += 2;
    return true;
}
