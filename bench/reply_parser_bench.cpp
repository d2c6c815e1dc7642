// Reply parser benchmark: reply lines parsed per second for a mix like the
// one the status window and the read-all run produce, and heap allocations
// per parsed reply (the reply path must not allocate).
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"

static std::atomic<long long> Allocations{0};

void* operator new(std::size_t size)
{
    Allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

static std::string Repeat(const std::string& s, int n)
{
    std::string r;
    for (int i = 0; i < n; ++i)
        r += s;
    return r;
}

int main(int argc, char** argv)
{
    const long long rounds = argc > 1 ? std::atoll(argv[1]) : 200000;

    // Built before counting starts.
    const std::vector<std::string> mix = {
        "OP07I01S02I03I04I05I06I07I08I09I10I11I12I13I14I15I16\r\n",
        "SP05" + Repeat("12", 64) + "\r\n",
        "OCD" + Repeat("07", 16) + "\r\n",
        "VL" + Repeat("NF", 32) + "\r\n",
        "GO\r\n",
        "OSI01S03I01I01I01I01I01I01I01I01I01I01I01I01I01S32\r\n",
        "OP07I01S02I03I04I05I06X07I08I09I10I11I12I13I14I15I16\r\n",   // malformed entry
        "SP05" + Repeat("12", 63) + "\r\n",                           // one value short
        "HELLO\r\n",                                                  // unknown text
    };

    // The replies are stored into a model of the benchmark's own.
    static DeviceModelData model;
    ResetModelToStartValues(model);

    const long long before = Allocations.load();
    const auto start = std::chrono::steady_clock::now();
    long long parsed = 0;
    for (long long r = 0; r < rounds; ++r) {
        for (const std::string& line : mix) {
            TransactionState.busy = 1;
            ParseSerialReply(model, line.c_str());
            ++parsed;
        }
    }
    const auto serialEnd = std::chrono::steady_clock::now();
    for (long long r = 0; r < rounds; ++r) {
        for (const std::string& line : mix) {
            TransactionState.busy = 1;
            ParseDialogReply(model, line.data(), static_cast<int>(line.size()));
            ++parsed;
        }
    }
    const auto end = std::chrono::steady_clock::now();
    const long long allocations = Allocations.load() - before;

    const double serialSeconds = std::chrono::duration<double>(serialEnd - start).count();
    const double dialogSeconds = std::chrono::duration<double>(end - serialEnd).count();
    const double perSide = static_cast<double>(parsed) / 2.0;
    std::printf("reply mix: %zu lines (OP, SP, OCD, VL, GO, OS, two malformed, one unknown)\n", mix.size());
    std::printf("serial entry: %.0f lines/s\n", perSide / serialSeconds);
    std::printf("dialog entry: %.0f lines/s\n", perSide / dialogSeconds);
    std::printf("heap allocations per parsed reply: %.3f (%lld in %lld replies)\n",
                static_cast<double>(allocations) / static_cast<double>(parsed), allocations, parsed);
    return allocations == 0 ? 0 : 1;
}
