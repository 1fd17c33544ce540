#include "support/text.hpp"

namespace vtest {

std::string utf8(PB_STRING* s) {
    if (!s) return "<null>";
    PB_INT n = 0;
    char* c = pbStringConvertToCstr(s, &n);
    std::string out(c, size_t(n));
    pb___MemFree(c);
    return out;
}

std::string take(PB_STRING* s) {
    std::string out = utf8(s);
    if (s) pbStringRelease(s);
    return out;
}

std::string bytes(PB_BUFFER* b) {
    return std::string(reinterpret_cast<const char*>(pbBufferBacking(b)), size_t(pbBufferLength(b)));
}

}  // namespace vtest
