// Conversions between runtime strings and stores and std::string.
#include "text.h"

#include <cstdio>

#include "pb/pb_buffer.h"
#include "pb/pb_store_encoding.h"

namespace vorlix::tools {

std::string utf8(PB_STRING* s) {
    if (!s) return "";
    PB_INT n = 0;
    char* c = pbStringConvertToCstr(s, &n);
    std::string out(c, size_t(n));
    pb___MemFree(c);
    return out;
}

pb::Ref<PB_STRING> makeString(const std::string& text) {
    return pb::adopt(pbStringCreateFromCstr(text.data(), PB_INT(text.size())));
}

std::string storeJson(PB_STORE* store) {
    auto bytes = pb::adopt(pbStoreEncode(store, nullptr));
    return std::string(reinterpret_cast<const char*>(pbBufferBacking(bytes.get())), size_t(pbBufferLength(bytes.get())));
}

std::string jsonQuote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

}  // namespace vorlix::tools
