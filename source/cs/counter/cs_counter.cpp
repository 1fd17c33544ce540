// Counters: the public object, forwarding to its implementation.
#include "cs/counter/cs_counter.h"

#include "cs/base/cs_module.h"
#include "cs/counter/cs_counter_imp.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"

struct CS_COUNTER {
    PB_OBJ obj;
    CS___COUNTER_IMP* imp;  // set once at creation; never NULL
};

namespace {

void counterFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, cs___sort_CS_COUNTER);
    auto* cnt = reinterpret_cast<CS_COUNTER*>(obj);
    cs___CounterImpHalt(cnt->imp);
    pb::releaseField(cnt->imp);
}

// The check every public operation makes before it forwards.
CS___COUNTER_IMP* impOf(CS_COUNTER* cnt) {
    PB_ASSERT(cnt);
    return cnt->imp;
}

}  // namespace

PB_SORT_DEFINE(cs___sort_CS_COUNTER, &cs___module, "CS_COUNTER", counterFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(csCounter, CS_COUNTER, cs___sort_CS_COUNTER)

extern "C" PB_EXPORT CS_COUNTER* csCounterCreate(CS_STATUS_REPORTER* rep, PB_STRING* name) {
    CS___COUNTER_IMP* imp = cs___CounterImpCreate(rep, name);
    auto* cnt = reinterpret_cast<CS_COUNTER*>(pb___ObjCreate(sizeof(CS_COUNTER), &cs___sort_CS_COUNTER));
    cnt->imp = imp;
    return cnt;
}

extern "C" PB_EXPORT CS_COUNTER* csCounterCreateCstr(CS_STATUS_REPORTER* rep, const char* name, PB_INT length) {
    auto str = pb::adopt(pbStringCreateFromCstr(name, length));
    return csCounterCreate(rep, str.get());
}

extern "C" PB_EXPORT CS_COUNTER* csCounterCreateWcstr(CS_STATUS_REPORTER* rep, const wchar_t* name, PB_INT length) {
    auto str = pb::adopt(pbStringCreateFromWcstr(name, length));
    return csCounterCreate(rep, str.get());
}

extern "C" PB_EXPORT PB_STRING* csCounterName(CS_COUNTER* cnt) { return cs___CounterImpName(impOf(cnt)); }
extern "C" PB_EXPORT PB_INT csCounterValue(CS_COUNTER* cnt) { return cs___CounterImpValue(impOf(cnt)); }

extern "C" PB_EXPORT void csCounterModifyValue(CS_COUNTER* cnt, PB_INT delta) {
    cs___CounterImpModifyValue(impOf(cnt), delta);
}

extern "C" PB_EXPORT void csCounterUpdateAddSignalable(CS_COUNTER* cnt, PB_SIGNALABLE* signalable) {
    cs___CounterImpUpdateAddSignalable(impOf(cnt), signalable);
}

extern "C" PB_EXPORT void csCounterUpdateDelSignalable(CS_COUNTER* cnt, PB_SIGNALABLE* signalable) {
    cs___CounterImpUpdateDelSignalable(impOf(cnt), signalable);
}
