// A target with undefined behaviour on purpose: a signed overflow when the input starts with
// "overflow". scripts/fuzz.sh runs it on that input first and stops unless it fails, so a
// build whose sanitizer only prints "runtime error" and goes on cannot pass as clean.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8 || std::memcmp(data, "overflow", 8) != 0) return 0;
    volatile int big = INT_MAX;
    volatile int one = static_cast<int>(size > 0);
    const int sum = big + one;
    return sum == 0 ? 1 : 0;
}
