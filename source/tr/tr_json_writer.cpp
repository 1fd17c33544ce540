// JSON text for trace sink lines.
#include "tr/tr_json_writer.hpp"

#include <string_view>

#include "pb/pb_ref.hpp"
#include "pb/pb_store_encoding.h"
#include "pb/pb_utf8.hpp"
#include "rfc/rfc_base.h"

namespace {

void appendEscaped(std::string& out, PB_CHAR c) {
    static const char hex[] = "0123456789abcdef";
    switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
    }
    if (c < 0x20) {
        out += "\\u00";
        out.push_back(hex[c >> 4]);
        out.push_back(hex[c & 0xF]);
        return;
    }
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = PB_CHAR_REPLACEMENT;
    pb::utf8Encode(&c, 1, out);
}

}  // namespace

void tr::jsonAppendString(std::string& out, PB_STRING* str) {
    const PB_CHAR* chars = pbStringBacking(str);
    PB_INT n = pbStringLength(str);
    out.push_back('"');
    for (PB_INT i = 0; i < n; ++i) {
        PB_CHAR c = chars[i];
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') out.push_back(char(c));
        else appendEscaped(out, c);
    }
    out.push_back('"');
}

void tr::jsonAppendStringCstr(std::string& out, const char* text) {
    auto s = pb::adopt(pbStringCreateFromCstr(text, -1));
    jsonAppendString(out, s.get());
}

void tr::jsonAppendStore(std::string& out, PB_STORE* store) {
    if (!store) {
        out += "null";
        return;
    }
    // The encoding lays documents out over several lines for people and
    // diffs; a sink line must stay one line, so the whitespace between
    // tokens goes (strings carry none unescaped).
    auto bytes = pb::adopt(pbStoreEncode(store, nullptr));
    auto text = std::string_view(reinterpret_cast<const char*>(pbBufferBacking(bytes.get())),
                                 size_t(pbBufferLength(bytes.get())));
    bool inString = false;
    bool escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') inString = false;
        } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
            continue;
        } else if (c == '"') {
            inString = true;
        }
        out.push_back(c);
    }
}

void tr::jsonAppendPropertyValue(std::string& out, TR_PROPERTY_VALUE* value) {
    static const char* const typeNames[] = {"bool", "int", "string", "store", "buffer"};
    PB_INT type = trPropertyValueType(value);
    out += ",\"type\":\"";
    out += typeNames[type];
    out += "\",\"value\":";
    switch (type) {
    case TR_PROPERTY_VALUE_TYPE_BOOL:
        out += trPropertyValueBool(value) ? "true" : "false";
        break;
    case TR_PROPERTY_VALUE_TYPE_INT:
        out += std::to_string(trPropertyValueInt(value));
        break;
    case TR_PROPERTY_VALUE_TYPE_STRING: {
        auto s = pb::adopt(trPropertyValueString(value));
        jsonAppendString(out, s.get());
        break;
    }
    case TR_PROPERTY_VALUE_TYPE_STORE: {
        auto s = pb::adopt(trPropertyValueStore(value));
        jsonAppendStore(out, s.get());
        break;
    }
    default: {
        auto b = pb::adopt(trPropertyValueBuffer(value));
        auto text = pb::adopt(rfcBaseEncodeToString(b.get(), RFC_BASE_64));
        jsonAppendString(out, text.get());
        break;
    }
    }
}
