// Trace marks: identity tokens with a process-wide id and a scrubbed flag.
#include "tr/tr_mark.h"

#include <atomic>
#include <string>

#include "pb/pb_stdfunc.hpp"
#include "tr/tr_module.h"
#include "tr/tr_sink.hpp"

struct TR_MARK {
    PB_OBJ obj;
    PB_INT id;         // set once at creation
    int32_t scrubbed;  // atomic: 0 until tr___SystemMarkScrub, then 1
    int32_t reserved;
};

PB_SORT_DEFINE(tr___sort_TR_MARK, &tr___module, "TR_MARK", nullptr, nullptr, nullptr);
PB_STDFUNCS_DEFINE(trMark, TR_MARK, tr___sort_TR_MARK)

namespace {
std::atomic<PB_INT> lastMarkId{0};
}

extern "C" PB_EXPORT TR_MARK* trMarkCreate(void) {
    auto* m = reinterpret_cast<TR_MARK*>(pb___ObjCreate(sizeof(TR_MARK), &tr___sort_TR_MARK));
    m->id = lastMarkId.fetch_add(1, std::memory_order_relaxed) + 1;
    return m;
}

extern "C" PB_EXPORT PB_INT trMarkId(TR_MARK* mark) {
    PB_ASSERT(mark);
    return mark->id;
}

extern "C" PB_EXPORT PB_BOOL trMarkScrubbed(TR_MARK* mark) {
    PB_ASSERT(mark);
    return std::atomic_ref<int32_t>(mark->scrubbed).load(std::memory_order_acquire);
}

extern "C" PB_EXPORT void tr___SystemMarkScrub(TR_MARK* mark) {
    PB_ASSERT(mark);
    if (std::atomic_ref<int32_t>(mark->scrubbed).exchange(1, std::memory_order_acq_rel)) return;
    if (tr::sinkActive()) tr::sinkWrite("\"event\":\"markScrubbed\",\"mark\":" + std::to_string(mark->id));
}
