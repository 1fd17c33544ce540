// JSON text for trace sink lines.
#include "tr/tr_json_writer.hpp"

#include "pb/pb_json.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_store_encoding.h"
#include "rfc/rfc_base.h"

void tr::jsonAppendString(std::string& out, PB_STRING* str) {
    pb::jsonAppendString(pbStringBacking(str), pbStringLength(str), out);
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
    auto bytes = pb::adopt(pbStoreEncodeCompact(store, nullptr));
    out.append(reinterpret_cast<const char*>(pbBufferBacking(bytes.get())), size_t(pbBufferLength(bytes.get())));
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
