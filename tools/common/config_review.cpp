// Entries of a configuration store that apply passes over.
#include "config_review.h"

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_runtime.h"
#include "text.h"

namespace vorlix::tools {

namespace {

// The part's store, or null with a note when it is there but no store.
pb::Ref<PB_STORE> part(PB_STORE* config, const char* name, std::vector<SkippedEntry>& out) {
    PB_INT type = pbStoreTypeCstr(config, name, -1);
    if (type == PB_STORE_TYPE_NONE) return nullptr;
    if (type != PB_STORE_TYPE_STORE) {
        out.push_back({name, "", "\"" + std::string(name) + "\" is not an object, so none of it applies"});
        return nullptr;
    }
    return pb::adopt(pbStoreStoreCstr(config, name, -1));
}

}  // namespace

std::vector<SkippedEntry> skippedEntries(PB_STORE* config) {
    std::vector<SkippedEntry> out;
    if (auto modules = part(config, "modules", out)) {
        for (PB_INT i = 0; i < pbStoreLength(modules.get()); ++i) {
            auto key = pb::adopt(pbStoreAddressAt(modules.get(), i));
            std::string name = utf8(key.get());
            if (!pbModuleNameOk(key.get())) out.push_back({"modules", name, "not a valid module name"});
            else if (pbStoreTypeAt(modules.get(), i) != PB_STORE_TYPE_STORE)
                out.push_back({"modules", name, "the entry is not an object"});
        }
    }
    if (auto objects = part(config, "objects", out)) {
        for (PB_INT i = 0; i < pbStoreLength(objects.get()); ++i) {
            auto key = pb::adopt(pbStoreAddressAt(objects.get(), i));
            // Named only for what is skipped: most entries are fine.
            auto skip = [&](std::string reason) { out.push_back({"objects", utf8(key.get()), std::move(reason)}); };
            if (!csObjectRecordNameOk(key.get())) {
                skip("not a valid object name");
                continue;
            }
            if (pbStoreTypeAt(objects.get(), i) != PB_STORE_TYPE_STORE) {
                skip("the entry is not an object");
                continue;
            }
            auto entry = pb::adopt(pbStoreStoreAt(objects.get(), i));
            if (pbStoreLength(entry.get()) == 0) continue;  // keeps what is there
            PB_INT type = pbStoreTypeCstr(entry.get(), "sort", -1);
            if (type == PB_STORE_TYPE_NONE) {
                skip("it has no \"sort\"");
                continue;
            }
            auto sort = pb::adopt(type == PB_STORE_TYPE_STRING ? pbStoreValueCstr(entry.get(), "sort", -1) : nullptr);
            if (!sort)
                skip("its \"sort\" is not a string");
            else if (!pbNameUpperCaseOk(sort.get(), PB_TRUE))
                skip("its sort \"" + utf8(sort.get()) + "\" is not an upper-case name (A-Z, 0-9, _)");
        }
    }
    return out;
}

std::vector<std::string> modulesNotLoaded(PB_STORE* config) {
    std::vector<std::string> out;
    auto modules = pb::adopt(pbStoreStoreCstr(config, "modules", -1));
    if (!modules) return out;
    for (PB_INT i = 0; i < pbStoreLength(modules.get()); ++i) {
        auto key = pb::adopt(pbStoreAddressAt(modules.get(), i));
        if (!pbModuleNameOk(key.get()) || pbStoreTypeAt(modules.get(), i) != PB_STORE_TYPE_STORE) continue;
        if (auto module = pb::adopt(pbRuntimeModule(key.get())); !module) out.push_back(utf8(key.get()));
    }
    return out;
}

}  // namespace vorlix::tools
