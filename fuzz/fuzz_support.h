// What the fuzz targets share: a failed invariant stops the run with a
// message (libFuzzer keeps the input), byte-for-byte model snapshots, and the
// layout of the control byte the reply targets take in front of a line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "protocol/device_model.h"

#define KVR_FUZZ_CHECK(condition)                                                     \
    do {                                                                              \
        if (!(condition)) {                                                           \
            fprintf(stderr, "fuzz invariant failed: %s (%s:%d)\n", #condition,        \
                    __FILE__, __LINE__);                                              \
            abort();                                                                  \
        }                                                                             \
    } while (0)

inline bool SameModel(const DeviceModelData& a, const DeviceModelData& b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}

// The live-status replies keep the values they replace as "previous": a
// second application of the same reply moves those on. Copies them from
// `from`, so that two models compare on everything else.
inline void KeepPreviousLiveStatus(DeviceModelData& into, const DeviceModelData& from)
{
    IoStatusRecord& a = into.IoStatus;
    const IoStatusRecord& b = from.IoStatus;
    memcpy(a.previousOutputChannel, b.previousOutputChannel, sizeof a.previousOutputChannel);
    memcpy(a.previousOutputSource, b.previousOutputSource, sizeof a.previousOutputSource);
    memcpy(a.previousVideoLoss, b.previousVideoLoss, sizeof a.previousVideoLoss);
}

// The glyph code the reply targets set as requested before every input, so
// that an "FBM" reply can be accepted: the code of the first registration
// slot, which the seeds read.
constexpr char kFuzzGlyphCode[] = "A365";
// Flags of the first byte of a reply target's input.
constexpr uint8_t kFuzzRs485 = 0x01;      // serial: RS-485, slave address in bits 1..5
constexpr uint8_t kFuzzBusy = 0x40;       // a command is outstanding
constexpr int kFuzzAddressShift = 1;
constexpr uint8_t kFuzzAddressMask = 0x1F;
