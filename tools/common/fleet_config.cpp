// The group's keys and the group's form of a configuration.
#include "fleet_config.h"

#include <cctype>

#include "pb/pb_buffer.h"
#include "pb/pb_store_encoding.h"
#include "text.h"

namespace vorlix::tools {

namespace {

// Sets address in *into to the value at index i of from, of any type.
void copyAt(pb::Ref<PB_STORE>& into, PB_STRING* address, PB_STORE* from, PB_INT i) {
    switch (pbStoreTypeAt(from, i)) {
    case PB_STORE_TYPE_STORE: pbStoreSetStore(into.out(), address, pb::adopt(pbStoreStoreAt(from, i)).get()); break;
    case PB_STORE_TYPE_STRING: pbStoreSetValue(into.out(), address, pb::adopt(pbStoreValueAt(from, i)).get()); break;
    case PB_STORE_TYPE_INT: {
        PB_INT v = 0;
        pbStoreValueIntAt(from, i, &v);
        pbStoreSetValueInt(into.out(), address, v);
        break;
    }
    case PB_STORE_TYPE_BOOL: {
        PB_BOOL v = PB_FALSE;
        pbStoreValueBoolAt(from, i, &v);
        pbStoreSetValueBool(into.out(), address, v);
        break;
    }
    default: break;
    }
}

// Adds to *into what from holds that *into lacks; below depth 3 (part,
// entry, "config") only inside stores that *into already has.
void addMissing(pb::Ref<PB_STORE>& into, PB_STORE* from, int depth) {
    for (PB_INT i = 0; i < pbStoreLength(from); ++i) {
        auto address = pb::adopt(pbStoreAddressAt(from, i));
        PB_INT type = pbStoreTypeAt(from, i);
        PB_INT have = pbStoreType(into.get(), address.get());
        if (type == PB_STORE_TYPE_STORE && have == PB_STORE_TYPE_STORE) {
            auto inner = pb::adopt(pbStoreStore(into.get(), address.get()));
            addMissing(inner, pb::adopt(pbStoreStoreAt(from, i)).get(), depth + 1);
            pbStoreSetStore(into.out(), address.get(), inner.get());
        } else if (have == PB_STORE_TYPE_NONE && depth >= 3) {
            copyAt(into, address.get(), from, i);
        }
    }
}

// The part of full that reduced lacks (null when none).
pb::Ref<PB_STORE> missingFrom(PB_STORE* full, PB_STORE* reduced) {
    pb::Ref<PB_STORE> out;
    for (PB_INT i = 0; i < pbStoreLength(full); ++i) {
        auto address = pb::adopt(pbStoreAddressAt(full, i));
        PB_INT type = pbStoreTypeAt(full, i);
        PB_INT have = reduced ? pbStoreType(reduced, address.get()) : PB_STORE_TYPE_NONE;
        pb::Ref<PB_STORE> part;
        if (type == PB_STORE_TYPE_STORE && have == PB_STORE_TYPE_STORE) {
            part = missingFrom(pb::adopt(pbStoreStoreAt(full, i)).get(),
                               pb::adopt(pbStoreStore(reduced, address.get())).get());
            if (!part) continue;
        } else if (have != PB_STORE_TYPE_NONE) {
            continue;
        }
        if (!out) out = pb::adopt(pbStoreCreate());
        if (part) pbStoreSetStore(out.out(), address.get(), part.get());
        else copyAt(out, address.get(), full, i);
    }
    return out;
}

}  // namespace

bool fleetGroupNameOk(const std::string& group) {
    if (group.empty() || group.size() > 64) return false;
    for (char c : group)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-')) return false;
    return true;
}

std::string fleetConfigKey(const std::string& group) { return "vorlix/fleet/" + group + "/config"; }
std::string fleetHostsPrefix(const std::string& group) { return "vorlix/fleet/" + group + "/hosts/"; }
std::string fleetHostKey(const std::string& group, const std::string& member) {
    return fleetHostsPrefix(group) + member;
}

std::string encodeConfig(PB_STORE* config) {
    auto header = pb::adopt(pbStoreHeaderCreateCstr("CS_CONFIG", -1));
    auto bytes = pb::adopt(pbStoreEncode(config, header.get()));
    return std::string(reinterpret_cast<const char*>(pbBufferBacking(bytes.get())), size_t(pbBufferLength(bytes.get())));
}

pb::Ref<PB_STORE> decodeConfig(const std::string& bytes, std::string* error) {
    PB_STORE_HEADER* header = nullptr;
    auto store = pb::adopt(pbStoreTryDecodeBytes(bytes.data(), PB_INT(bytes.size()), &header));
    auto held = pb::adopt(header);
    if (!store) {
        auto buffer = pb::adopt(pbBufferCreateFromBytes(bytes.data(), PB_INT(bytes.size())));
        auto reason = pb::adopt(pbStoreDecodeError(buffer.get()));
        *error = reason ? utf8(reason.get()) : "not a valid encoded store";
        return nullptr;
    }
    std::string type = held ? utf8(pb::adopt(pbStoreHeaderType(held.get())).get()) : "CS_CONFIG";
    if (type != "CS_CONFIG") {
        *error = "not a configuration (its store header is of type " + type + ", not CS_CONFIG)";
        return nullptr;
    }
    return store;
}

pb::Ref<PB_STORE> withoutHostValues(PB_STORE* config) {
    auto out = pb::retain(config);
    auto modules = pb::adopt(pbStoreStoreCstr(config, "modules", -1));
    auto cs = pb::adopt(modules ? pbStoreStoreCstr(modules.get(), "cs", -1) : nullptr);
    auto csConfig = pb::adopt(cs ? pbStoreStoreCstr(cs.get(), "config", -1) : nullptr);
    if (!csConfig || !pbStoreHasAddressCstr(csConfig.get(), "systemIdentifier", -1)) return out;
    pbStoreDelCstr(csConfig.out(), "systemIdentifier", -1);
    pbStoreSetStoreCstr(cs.out(), "config", -1, csConfig.get());
    pbStoreSetStoreCstr(modules.out(), "cs", -1, cs.get());
    pbStoreSetStoreCstr(out.out(), "modules", -1, modules.get());
    return out;
}

pb::Ref<PB_STORE> hostValues(PB_STORE* full, PB_STORE* reduced) {
    auto out = missingFrom(full, reduced);
    return out ? out : pb::adopt(pbStoreCreate());
}

pb::Ref<PB_STORE> keepHostValues(PB_STORE* config, PB_STORE* kept) {
    auto out = pb::retain(config);
    addMissing(out, kept, 0);
    return out;
}

}  // namespace vorlix::tools
