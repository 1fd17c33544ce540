// Structural difference of configuration stores.
#include "config_diff.h"

#include <set>

#include "pb/pb.h"
#include "text.h"

namespace vorlix::tools {

namespace {

std::set<std::string> keysOf(PB_STORE* store) {
    std::set<std::string> out;
    for (PB_INT i = 0; store && i < pbStoreLength(store); ++i) out.insert(utf8(pb::adopt(pbStoreAddressAt(store, i)).get()));
    return out;
}

// A string, integer or boolean value in a form that compares by value.
std::string scalar(PB_STORE* store, const std::string& key) {
    const char* k = key.c_str();
    PB_INT n = PB_INT(key.size()), i = 0;
    PB_BOOL b = 0;
    switch (pbStoreTypeCstr(store, k, n)) {
    case PB_STORE_TYPE_STRING: return "s" + utf8(pb::adopt(pbStoreValueCstr(store, k, n)).get());
    case PB_STORE_TYPE_INT: pbStoreValueIntCstr(store, k, n, &i); return "i" + std::to_string(i);
    case PB_STORE_TYPE_BOOL: pbStoreValueBoolCstr(store, k, n, &b); return b ? "true" : "false";
    default: return "";
    }
}

void collect(PB_STORE* a, PB_STORE* b, const std::string& prefix, std::vector<std::string>& out) {
    std::set<std::string> keys = keysOf(a);
    keys.merge(keysOf(b));
    for (const auto& key : keys) {
        std::string path = prefix.empty() ? key : prefix + "/" + key;
        PB_INT ta = a ? pbStoreTypeCstr(a, key.c_str(), PB_INT(key.size())) : PB_STORE_TYPE_NONE;
        PB_INT tb = b ? pbStoreTypeCstr(b, key.c_str(), PB_INT(key.size())) : PB_STORE_TYPE_NONE;
        if (ta == PB_STORE_TYPE_STORE && tb == PB_STORE_TYPE_STORE) {
            auto sa = pb::adopt(pbStoreStoreCstr(a, key.c_str(), PB_INT(key.size())));
            auto sb = pb::adopt(pbStoreStoreCstr(b, key.c_str(), PB_INT(key.size())));
            if (!pbObjEquals(reinterpret_cast<PB_OBJ*>(sa.get()), reinterpret_cast<PB_OBJ*>(sb.get())))
                collect(sa.get(), sb.get(), path, out);
            continue;
        }
        if (ta != tb) {
            out.push_back(path);
            continue;
        }
        if (scalar(a, key) != scalar(b, key)) out.push_back(path);
    }
}

}  // namespace

PartDiff diffPart(PB_STORE* a, PB_STORE* b, const char* part) {
    auto pa = pb::adopt(a ? pbStoreStoreCstr(a, part, -1) : nullptr);
    auto pbb = pb::adopt(b ? pbStoreStoreCstr(b, part, -1) : nullptr);
    PartDiff diff;
    std::set<std::string> keys = keysOf(pa.get());
    keys.merge(keysOf(pbb.get()));
    for (const auto& key : keys) {
        bool inA = pa && pbStoreHasAddressCstr(pa.get(), key.c_str(), PB_INT(key.size()));
        bool inB = pbb && pbStoreHasAddressCstr(pbb.get(), key.c_str(), PB_INT(key.size()));
        if (!inA) diff.added.push_back(key);
        else if (!inB) diff.removed.push_back(key);
        else {
            auto ea = pb::adopt(pbStoreStoreCstr(pa.get(), key.c_str(), PB_INT(key.size())));
            auto eb = pb::adopt(pbStoreStoreCstr(pbb.get(), key.c_str(), PB_INT(key.size())));
            auto changed = changedKeys(ea.get(), eb.get());
            if (!changed.empty()) diff.changed.push_back({key, changed});
        }
    }
    return diff;
}

namespace {

void partText(const PartDiff& d, const char* what, std::string& out) {
    for (const auto& n : d.added) out += "added " + std::string(what) + " " + n + "\n";
    for (const auto& n : d.removed) out += "removed " + std::string(what) + " " + n + "\n";
    for (const auto& c : d.changed) {
        out += "changed " + std::string(what) + " " + c.name + ":";
        for (const auto& k : c.keys) out += " " + k;
        out += "\n";
    }
}

std::string list(const std::vector<std::string>& names) {
    std::string out = "[";
    for (size_t i = 0; i < names.size(); ++i) out += (i ? "," : "") + jsonQuote(names[i]);
    return out + "]";
}

std::string partJson(const PartDiff& d) {
    std::string out = "{\"added\":" + list(d.added) + ",\"removed\":" + list(d.removed) + ",\"changed\":{";
    for (size_t i = 0; i < d.changed.size(); ++i)
        out += (i ? "," : "") + jsonQuote(d.changed[i].name) + ":" + list(d.changed[i].keys);
    return out + "}}";
}

}  // namespace

std::vector<std::string> changedKeys(PB_STORE* a, PB_STORE* b) {
    std::vector<std::string> out;
    if (!pbObjEquals(reinterpret_cast<PB_OBJ*>(a), reinterpret_cast<PB_OBJ*>(b))) collect(a, b, "", out);
    return out;
}

ConfigDiff diffConfigs(PB_STORE* a, PB_STORE* b) {
    return {diffPart(a, b, "modules"), diffPart(a, b, "objects")};
}

std::string diffText(const ConfigDiff& diff) {
    std::string out;
    partText(diff.modules, "module", out);
    partText(diff.objects, "object", out);
    return out;
}

std::string diffJson(const ConfigDiff& diff) {
    return "{\"modules\":" + partJson(diff.modules) + ",\"objects\":" + partJson(diff.objects) + "}\n";
}

}  // namespace vorlix::tools
