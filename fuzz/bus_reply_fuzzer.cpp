// What an RS-485 bus hands the tool while one unit is served: any bytes, in
// any pieces. Input: the unit's address (first byte, mod 32), the size of
// the pieces (second byte, 1..256), then the bytes.
//
// Invariants: every line set aside as another unit's begins with another
// valid address and holds no line end; bytes that come in pieces set aside
// the lines they would set aside whole, in order, up to where the unit
// ended (once it failed it takes nothing more).
#include <algorithm>
#include <string>

#include "cli/unit_exchange.h"
#include "dialogs/routing/settings_transfer.h"
#include "fuzz_support.h"

namespace {

struct Run {
    UnitExchange unit;

    explicit Run(int address)
    {
        ResetModelToStartValues(unit.model);
        unit.steps = &ReadAllSettings;
        unit.paceMs = 0;
        PrepareUnit(unit, address);
        StartUnit(unit, 0);
    }
};

void Feed(Run& run, const std::string& bytes, size_t piece)
{
    int64_t now = 1;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        const std::string part = bytes.substr(at, piece);
        UnitReceived(run.unit, part.data(), static_cast<int>(part.size()), now);
        TickUnit(run.unit, now);
        now += 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int address = data[0] % 32;
    const size_t piece = static_cast<size_t>(data[1]) + 1;
    const std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);

    Run whole(address), pieces(address);
    Feed(whole, bytes, bytes.size() + 1);
    Feed(pieces, bytes, piece);

    for (const std::string& line : pieces.unit.strayReplies) {
        KVR_FUZZ_CHECK(line.size() >= 2 && line[0] >= '0' && line[0] <= '3' && line[1] >= '0' && line[1] <= '9');
        const int from = (line[0] - '0') * 10 + (line[1] - '0');
        KVR_FUZZ_CHECK(from <= 31 && from != address);
        KVR_FUZZ_CHECK(line.find('\n') == std::string::npos);
    }
    const auto& a = pieces.unit.strayReplies;
    const auto& b = whole.unit.strayReplies;
    KVR_FUZZ_CHECK(a.size() <= b.size() && std::equal(a.begin(), a.end(), b.begin()));
    if (pieces.unit.state == UnitState::kRunning)
        KVR_FUZZ_CHECK(a.size() == b.size());
    return 0;
}
