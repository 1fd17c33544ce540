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

// Whether entry i of a and entry j of b, of the same type, hold the same
// string, integer or boolean (other types count as the same).
bool sameValue(PB_STORE* a, PB_INT i, PB_STORE* b, PB_INT j, PB_INT type) {
    switch (type) {
    case PB_STORE_TYPE_STRING:
        return pbObjEquals(reinterpret_cast<PB_OBJ*>(pb::adopt(pbStoreValueAt(a, i)).get()),
                           reinterpret_cast<PB_OBJ*>(pb::adopt(pbStoreValueAt(b, j)).get()));
    case PB_STORE_TYPE_INT: {
        PB_INT x = 0, y = 0;
        pbStoreValueIntAt(a, i, &x);
        pbStoreValueIntAt(b, j, &y);
        return x == y;
    }
    case PB_STORE_TYPE_BOOL: {
        PB_BOOL x = PB_FALSE, y = PB_FALSE;
        pbStoreValueBoolAt(a, i, &x);
        pbStoreValueBoolAt(b, j, &y);
        return !x == !y;
    }
    default: return true;
    }
}

// Walks a and b side by side: a store keeps its entries in address order,
// so each address is looked at once (configurations hold thousands).
void collect(PB_STORE* a, PB_STORE* b, const std::string& prefix, std::vector<std::string>& out) {
    PB_INT na = a ? pbStoreLength(a) : 0, nb = b ? pbStoreLength(b) : 0, i = 0, j = 0;
    while (i < na || j < nb) {
        auto ka = pb::adopt(i < na ? pbStoreAddressAt(a, i) : nullptr);
        auto kb = pb::adopt(j < nb ? pbStoreAddressAt(b, j) : nullptr);
        PB_INT order = !ka ? 1 : !kb ? -1
                                     : pbObjCompare(reinterpret_cast<PB_OBJ*>(ka.get()), reinterpret_cast<PB_OBJ*>(kb.get()));
        auto path = [&] { return (prefix.empty() ? "" : prefix + "/") + utf8(order <= 0 ? ka.get() : kb.get()); };
        if (order != 0) {
            out.push_back(path());  // in one of them only
            ++(order < 0 ? i : j);
            continue;
        }
        PB_INT ta = pbStoreTypeAt(a, i), tb = pbStoreTypeAt(b, j);
        if (ta == PB_STORE_TYPE_STORE && tb == PB_STORE_TYPE_STORE) {
            auto sa = pb::adopt(pbStoreStoreAt(a, i));
            auto sb = pb::adopt(pbStoreStoreAt(b, j));
            if (!pbObjEquals(reinterpret_cast<PB_OBJ*>(sa.get()), reinterpret_cast<PB_OBJ*>(sb.get())))
                collect(sa.get(), sb.get(), path(), out);
        } else if (ta != tb || !sameValue(a, i, b, j, ta)) {
            out.push_back(path());
        }
        ++i, ++j;
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
