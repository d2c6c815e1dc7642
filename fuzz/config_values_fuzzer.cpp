// The readers of the PC configuration file's values. Input: one value's
// text (up to its first NUL, as the profile reader returns it).
//
// Invariants: each reader gives what its header documents, checked against a
// plain reimplementation here; an address read as good is written back as
// the same text; a host count is always one the host table holds.
#include <climits>
#include <string>

#include "app/config_values.h"
#include "fuzz_support.h"
#include "link/link_state.h"

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Leading blanks, a sign, leading digits; 0 when there are none; saturated
// to the int range.
int ExpectedNumber(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    while (i < text.size() && IsDigit(text[i])) {
        value = value * 10 + (text[i++] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

// "ddd.ddd.ddd.ddd", every group at most 255.
bool IsGoodAddress(const std::string& text)
{
    if (text.size() != 15)
        return false;
    for (int group = 0; group < 4; ++group) {
        const char* g = text.c_str() + 4 * group;
        if (!IsDigit(g[0]) || !IsDigit(g[1]) || !IsDigit(g[2]))
            return false;
        if (group < 3 && g[3] != '.')
            return false;
        if ((g[0] - '0') * 100 + (g[1] - '0') * 10 + (g[2] - '0') > 255)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));

    const int number = ParseConfigNumber(text.c_str());
    KVR_FUZZ_CHECK(number == ExpectedNumber(text));

    const int count = ClampHostCount(number);
    KVR_FUZZ_CHECK(count >= 0 && count <= kHostCount);
    KVR_FUZZ_CHECK(count == number || (number < 0 && count == 0) || (number > kHostCount && count == kHostCount));
    if (number >= 1 && number <= kHostCount) {
        char key[8];
        FormatHostKey(number, key);
        char expected[16];
        snprintf(expected, sizeof expected, "IP_%03d", number);
        KVR_FUZZ_CHECK(strcmp(key, expected) == 0);
    }

    int octets[4] = {-1, -1, -1, -1};
    const bool good = ParseHostAddress(text.c_str(), octets);
    KVR_FUZZ_CHECK(good == IsGoodAddress(text));
    if (good) {
        char written[16];
        FormatHostAddress(octets, written);
        KVR_FUZZ_CHECK(text == written);
    } else {
        for (int octet : octets)
            KVR_FUZZ_CHECK(octet == 0);
    }
    return 0;
}
