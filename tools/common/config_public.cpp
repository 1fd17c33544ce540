// The gathered configuration with private data left out.
#include "config_public.h"

#include "cs/cs.h"
#include "pb/pb.h"

namespace vorlix::tools {

namespace {

// Replaces "config" of every entry of config's part by what read(name)
// gives (null: the entry loses its "config").
template <class Read>
void replaceConfigs(pb::Ref<PB_STORE>& config, const char* part, Read read) {
    auto entries = pb::adopt(pbStoreStoreCstr(config.get(), part, -1));
    if (!entries) return;
    for (PB_INT i = 0; i < pbStoreLength(entries.get()); ++i) {
        auto entry = pb::adopt(pbStoreStoreAt(entries.get(), i));
        if (!entry || !pbStoreHasAddressCstr(entry.get(), "config", -1)) continue;
        auto name = pb::adopt(pbStoreAddressAt(entries.get(), i));
        auto fresh = read(name.get());
        if (fresh) pbStoreSetStoreCstr(entry.out(), "config", -1, fresh.get());
        else pbStoreDelCstr(entry.out(), "config", -1);
        pbStoreSetStoreAt(entries.out(), i, entry.get());
    }
    pbStoreSetStoreCstr(config.out(), part, -1, entries.get());
}

}  // namespace

pb::Ref<PB_STORE> configWithoutPrivateData() {
    auto config = pb::adopt(csConfigConfig(nullptr));
    replaceConfigs(config, "modules", [](PB_STRING* name) {
        return pb::adopt(csModuleConfigByModuleName(name, PB_FALSE, PB_FALSE));
    });
    replaceConfigs(config, "objects", [](PB_STRING* name) -> pb::Ref<PB_STORE> {
        auto object = pb::adopt(csObjectTableLookupObjectByName(name));
        if (!object) return nullptr;  // gone since the last gather
        return pb::adopt(csObjectConfig(object.get(), PB_FALSE, PB_FALSE));
    });
    return config;
}

}  // namespace vorlix::tools
