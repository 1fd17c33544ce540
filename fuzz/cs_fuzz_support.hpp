// What the fuzz targets of the module "cs" share: the runtime started once
// in its manual clock mode with the module loaded, and a count of the live
// objects that each input must leave as it found it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>

#include "pb/pb_module.h"
#include "pb/pb_obj.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_runtime_clock.h"
#include "pb/pb_store.h"
#include "pb/pb_store_encoding.h"

namespace csfuzz {

// Starts the runtime in the manual clock mode and loads "cs", once per
// process. The runtime stays up until the process exits.
inline void startModule() {
    static bool started = false;
    if (started) return;
    started = true;
    pbRuntimeSetManualClock(PB_TRUE);
    pbRuntimeStart(nullptr);
    auto module = pb::adopt(pbRuntimeLoadModuleCstr("cs", -1));
    if (!module) {
        std::fprintf(stderr, "module \"cs\" did not load\n");
        std::abort();
    }
}

// The live objects by sort at one moment.
class LiveObjects {
public:
    LiveObjects() : total_(pbObjLiveTotal()) {
        pbSortForEachSeen([](PB_SORT* sort, void* self) { static_cast<LiveObjects*>(self)->bySort_[sort] = pbSortLiveCount(sort); },
                          this);
    }

    // Aborts, naming every sort whose count moved, when the total differs
    // from now.
    void expectUnchanged(const char* what) const {
        if (pbObjLiveTotal() == total_) return;
        LiveObjects now;
        std::fprintf(stderr, "%s: %lld live objects, %lld before\n", what, static_cast<long long>(now.total_),
                     static_cast<long long>(total_));
        for (const auto& [sort, count] : now.bySort_) {
            auto it = bySort_.find(sort);
            PB_INT was = it == bySort_.end() ? 0 : it->second;
            if (count != was)
                std::fprintf(stderr, "  %s: %lld -> %lld\n", pbSortNameCstr(sort), static_cast<long long>(was),
                             static_cast<long long>(count));
        }
        std::abort();
    }

private:
    PB_INT total_;
    std::map<PB_SORT*, PB_INT> bySort_;
};

// Writes the encoded store to stderr, for the report of a failed check.
inline void dump(const char* label, PB_STORE* store) {
    std::fprintf(stderr, "%s: ", label);
    if (!store) {
        std::fprintf(stderr, "<null>\n");
        return;
    }
    auto bytes = pb::adopt(pbStoreEncode(store, nullptr));
    std::fwrite(pbBufferBacking(bytes.get()), 1, size_t(pbBufferLength(bytes.get())), stderr);
    std::fprintf(stderr, "\n");
}

// Aborts with both stores written out when their encoded forms differ.
inline void expectSameEncoding(const char* what, PB_STORE* a, PB_STORE* b) {
    auto ea = pb::adopt(pbStoreEncode(a, nullptr));
    auto eb = pb::adopt(pbStoreEncode(b, nullptr));
    if (pbBufferEquals(ea.get(), eb.get())) return;
    std::fprintf(stderr, "%s: the stores differ\n", what);
    dump("first", a);
    dump("second", b);
    std::abort();
}

}  // namespace csfuzz
