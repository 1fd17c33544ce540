// Per-thread random generators seeded from the operating system.
#include "pb/pb_random.h"

#include <cstring>
#include <random>

namespace {

std::mt19937_64& generator() {
    thread_local std::mt19937_64 gen([] {
        std::random_device dev;
        std::seed_seq seq{dev(), dev(), dev(), dev(), dev(), dev(), dev(), dev()};
        return std::mt19937_64(seq);
    }());
    return gen;
}

}  // namespace

extern "C" PB_EXPORT PB_INT pbRandomNonNegativeIntRange(PB_INT low, PB_INT high) {
    PB_ASSERT(low >= 0);
    PB_ASSERT(low <= high);
    return std::uniform_int_distribution<PB_INT>(low, high)(generator());
}

extern "C" PB_EXPORT void pbRandomBytes(void* out, PB_INT length) {
    PB_ASSERT(out || length == 0);
    PB_ASSERT(length >= 0);
    auto* p = static_cast<unsigned char*>(out);
    while (length > 0) {
        uint64_t v = generator()();
        size_t n = length < 8 ? size_t(length) : 8;
        std::memcpy(p, &v, n);
        p += n;
        length -= PB_INT(n);
    }
}
