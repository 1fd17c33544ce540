// The generated configuration that the scale benchmarks share: N objects of
// sort CS_STUB, each with its flags, a comment, a two-level metadata store
// and a config store of four keys, one of them an array of two strings.
// About 385 bytes of JSON per object.
#pragma once

#include <cstdio>
#include <string>

namespace bench {

inline const char* configDocumentHead() {
    return "{\n  \"vorlixStoreHeader\":{\"type\":\"CS_CONFIG\"},\n  \"store\":{\n    \"objects\":{\n";
}
inline const char* configDocumentTail() { return "    }\n  }\n}\n"; }

// Appends object i of n (the last one without a trailing comma).
inline void appendConfigObject(std::string& out, long i, long n) {
    char text[640];
    int length = std::snprintf(text, sizeof text,
                               "      \"object-%07ld\":{\n"
                               "        \"sort\":\"CS_STUB\",\n"
                               "        \"visible\":true,\n"
                               "        \"protected\":false,\n"
                               "        \"comment\":\"generated object %ld of the scale run\",\n"
                               "        \"metaData\":{\n"
                               "          \"editor\":{\"layout\":\"grid\",\"row\":\"%ld\"}\n"
                               "        },\n"
                               "        \"config\":{\n"
                               "          \"type\":\"x\",\n"
                               "          \"n\":%ld,\n"
                               "          \"enabled\":true,\n"
                               "          \"tags\":[\"alpha\",\"beta-%ld\"]\n"
                               "        }\n"
                               "      }%s\n",
                               i, i, i % 100, i, i % 10, i + 1 == n ? "" : ",");
    out.append(text, size_t(length));
}

// The whole document of n objects.
inline std::string configDocument(long n) {
    std::string out = configDocumentHead();
    out.reserve(size_t(n) * 400 + 256);
    for (long i = 0; i < n; ++i) appendConfigObject(out, i, n);
    out += configDocumentTail();
    return out;
}

}  // namespace bench
