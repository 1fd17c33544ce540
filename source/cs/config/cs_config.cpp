// Gathering and applying the configuration of the process.
#include "cs/config/cs_config.h"

#include "cs/base/cs_module.h"
#include "cs/base/cs_options.h"
#include "cs/base/cs_release_later.hpp"
#include "cs/base/cs_store_keys.hpp"
#include "cs/base/cs_update_signal.hpp"
#include "cs/module/cs_module_table.h"
#include "cs/object/cs_object.h"
#include "cs/object/cs_object_entry_keys.hpp"
#include "cs/object/cs_object_record.h"
#include "cs/object/cs_object_table.h"
#include "cs/sort/cs_sort_table.h"
#include "pb/pb_dict.h"
#include "pb/pb_module_version.h"
#include "pb/pb_monitor.hpp"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"
#include "tr/tr_stream.h"

#include <unordered_set>
#include <utility>
#include <vector>

namespace {

using pb::adopt;
using Store = pb::Ref<PB_STORE>;
using String = pb::Ref<PB_STRING>;

String key(const char* text) { return cs::storeKey(text); }

// The keys of the configuration store, made once at start-up.
struct Keys {
    cs::ObjectEntryKeys entry;  // of an entry of "objects"
    String config = key("config"), info = key("info"), modules = key("modules"), objects = key("objects"),
           sorts = key("sorts"), version = key("version");
    // Every key an entry of "objects" may have, with placeholder values: an
    // entry starts as a copy and has its values set, one allocation of its
    // final size instead of one per key.
    Store entryShape = [this] {
        Store s = adopt(pbStoreCreate());
        for (const String* k : {&entry.sort, &entry.visible, &entry.protectedFlag, &entry.trMark, &entry.comment,
                                &entry.metaData, &entry.config})
            pbStoreSetValueBool(s.out(), k->get(), PB_FALSE);
        return s;
    }();
};

// Module-wide state: NULL (0) before start-up, all-ones after shutdown.
// Everything but the trace stream is guarded by configMonitor.
TR_STREAM* configTrStream = nullptr;  // the module's stream; set once at start-up
PB_MONITOR* configMonitor = nullptr;
PB_SIGNAL* configUpdateSignal = nullptr;
PB_INT configVersion = 0;
PB_STORE* configStore = nullptr;      // with private data
PB_STORE* configStoreNP = nullptr;    // without private data
Keys* keys = nullptr;

// A string value of a store, or NULL.
String valueOf(PB_STORE* store, PB_STRING* key) { return adopt(pbStoreValue(store, key)); }
Store storeOf(PB_STORE* store, PB_STRING* key) { return adopt(pbStoreStore(store, key)); }

// The two "modules" stores (gather step for modules).
void gatherModules() {
    Store modules = adopt(pbStoreCreate());
    Store modulesNP = adopt(pbStoreCreate());
    auto vec = adopt(pbRuntimeModulesVector());
    for (PB_INT i = 0; i < pbVectorLength(vec.get()); ++i) {
        auto module = adopt(pbModuleFrom(pbVectorObjAt(vec.get(), i)));
        Store entry = adopt(pbStoreCreate());
        Store entryNP = adopt(pbStoreCreate());
        if (auto version = adopt(pbModuleVersion(module.get()))) {
            auto text = adopt(pbModuleVersionToString(version.get()));
            pbStoreSetValue(entry.out(), keys->version.get(), text.get());
            pbStoreSetValue(entryNP.out(), keys->version.get(), text.get());
        }
        if (csModuleTableHasModule(module.get())) {
            pbStoreSetStore(entry.out(), keys->config.get(),
                            adopt(csModuleConfigByModule(module.get(), PB_FALSE, PB_TRUE)).get());
            pbStoreSetStore(entryNP.out(), keys->config.get(),
                            adopt(csModuleConfigByModule(module.get(), PB_FALSE, PB_FALSE)).get());
            auto info = adopt(csModuleInfoByModule(module.get()));
            pbStoreSetStore(entry.out(), keys->info.get(), info.get());
            pbStoreSetStore(entryNP.out(), keys->info.get(), info.get());
        }
        auto name = adopt(pbModuleName(module.get()));
        pbStoreSetStore(modules.out(), name.get(), entry.get());
        pbStoreSetStore(modulesNP.out(), name.get(), entryNP.get());
    }
    pbStoreSetStore(&configStore, keys->modules.get(), modules.get());
    pbStoreSetStore(&configStoreNP, keys->modules.get(), modulesNP.get());
}

// The object's configuration, with private data and without.
struct ObjectConfigs {
    Store config, configNP;
    explicit ObjectConfigs(PB_OBJ* object)
        : config(adopt(csObjectConfig(object, PB_FALSE, PB_TRUE))),
          configNP(adopt(csObjectConfig(object, PB_FALSE, PB_FALSE))) {}
};

bool sameStore(PB_STORE* a, PB_STORE* b) { return a == b || (a && b && pbStoreEquals(a, b)); }

// The entry of one record, with private data and without: the same store
// when the object has no private data to leave out.
void objectEntries(CS_OBJECT_RECORD* rec, PB_STRING* sortName, const ObjectConfigs& configs, Store* entry,
                   Store* entryNP) {
    Store e = adopt(pbStoreCreateFrom(keys->entryShape.get()));
    pbStoreSetValue(e.out(), keys->entry.sort.get(), sortName);
    pbStoreSetValueBool(e.out(), keys->entry.visible.get(), csObjectRecordVisible(rec));
    pbStoreSetValueBool(e.out(), keys->entry.protectedFlag.get(), csObjectRecordProtected(rec));
    pbStoreSetValueBool(e.out(), keys->entry.trMark.get(), csObjectRecordTrMark(rec));
    if (auto comment = adopt(csObjectRecordComment(rec))) pbStoreSetValue(e.out(), keys->entry.comment.get(), comment.get());
    else pbStoreDel(e.out(), keys->entry.comment.get());
    pbStoreSetStore(e.out(), keys->entry.metaData.get(), adopt(csObjectRecordMetaData(rec)).get());
    Store eNP = e;  // shares until its "config" differs
    pbStoreSetStore(e.out(), keys->entry.config.get(), configs.config.get());
    if (sameStore(configs.config.get(), configs.configNP.get())) eNP = e;
    else pbStoreSetStore(eNP.out(), keys->entry.config.get(), configs.configNP.get());
    *entry = std::move(e);
    *entryNP = std::move(eNP);
}

// Whether entry, gathered before, is what objectEntries would make now for
// rec with config: read key by key, which is cheaper than making an entry
// to compare.
bool entryHolds(PB_STORE* entry, CS_OBJECT_RECORD* rec, PB_STRING* sortName, PB_STORE* config) {
    String comment = adopt(csObjectRecordComment(rec));
    if (pbStoreLength(entry) != (comment ? 7 : 6)) return false;
    String sort = valueOf(entry, keys->entry.sort.get());
    if (!sort || !pbStringEquals(sort.get(), sortName)) return false;
    for (auto [key, flag] : {std::pair{&keys->entry.visible, csObjectRecordVisible(rec)},
                             std::pair{&keys->entry.protectedFlag, csObjectRecordProtected(rec)},
                             std::pair{&keys->entry.trMark, csObjectRecordTrMark(rec)}}) {
        PB_BOOL held;
        if (!pbStoreValueBool(entry, key->get(), &held) || !held != !flag) return false;
    }
    if (comment) {
        String heldComment = valueOf(entry, keys->entry.comment.get());
        if (!heldComment || !pbStringEquals(heldComment.get(), comment.get())) return false;
    }
    Store metaData = storeOf(entry, keys->entry.metaData.get());
    if (!metaData || !sameStore(metaData.get(), adopt(csObjectRecordMetaData(rec)).get())) return false;
    Store heldConfig = storeOf(entry, keys->entry.config.get());
    return heldConfig && sameStore(heldConfig.get(), config);
}

// The two "objects" stores under change, with private data and without.
// While they start out as one store (no entry had private data), only the
// first is changed and the second is made from it at the end, with the
// few entries that differ: one tree for both instead of two.
class ObjectStores {
public:
    ObjectStores(Store objects, Store objectsNP)
        : objects_(std::move(objects)), objectsNP_(std::move(objectsNP)), derived_(objects_.get() == objectsNP_.get()) {
        PB_ASSERT(objects_);
        PB_ASSERT(objectsNP_);
    }

    void set(PB_STRING* name, PB_STORE* entry, PB_STORE* entryNP) {
        pbStoreSetStore(objects_.out(), name, entry);
        if (!derived_) pbStoreSetStore(objectsNP_.out(), name, entryNP);
        else if (entryNP != entry) differing_.emplace_back(pb::retain(name), pb::retain(entryNP));
    }

    // Only for names not set before.
    void del(PB_STRING* name) {
        pbStoreDel(objects_.out(), name);
        if (!derived_) pbStoreDel(objectsNP_.out(), name);
    }

    // Puts both into the configuration stores.
    void publish() {
        if (derived_) {
            objectsNP_ = objects_;
            for (auto& [name, entryNP] : differing_) pbStoreSetStore(objectsNP_.out(), name.get(), entryNP.get());
        }
        pbStoreSetStore(&configStore, keys->objects.get(), objects_.get());
        pbStoreSetStore(&configStoreNP, keys->objects.get(), objectsNP_.get());
    }

private:
    Store objects_, objectsNP_;
    bool derived_;
    std::vector<std::pair<String, Store>> differing_;  // with derived_: entries without private data that differ
};

String sortNameOf(PB_OBJ* object) { return adopt(pbSortName(pbObjSort(object))); }

// The entry gathered before under name (previous may be NULL) when it
// still holds for rec, else NULL.
Store heldEntry(PB_STORE* previous, PB_STRING* name, CS_OBJECT_RECORD* rec, PB_STRING* sortName, PB_STORE* config) {
    Store old = previous ? storeOf(previous, name) : nullptr;
    return old && entryHolds(old.get(), rec, sortName, config) ? old : nullptr;
}

// An entry equal to the one gathered before under the same name becomes
// that one, so that objects that did not change add no entry stores.
void reuseEntry(PB_STORE* previous, PB_STRING* name, Store& entry) {
    if (!previous) return;
    Store old = adopt(pbStoreStore(previous, name));
    if (old && pbStoreEquals(old.get(), entry.get())) entry = std::move(old);
}

struct GatheredEntry {
    String name;
    Store entry, entryNP;
};

// previous and previousNP: the "objects" stores of the last gather (may be
// NULL). Entries that still hold are taken as they are; when every entry
// does and no record came or went, the stores of the last gather stay.
// The records listed go to later: one that another thread deletes meanwhile
// is then not freed under the configuration's monitor.
void gatherObjects(cs::ReleaseLater& later, PB_STORE* previous, PB_STORE* previousNP) {
    auto records = adopt(csObjectTableRecordsVector());
    later.keep(records.get());
    std::vector<GatheredEntry> gathered;
    gathered.reserve(size_t(pbVectorLength(records.get())));
    bool unchanged = previous && previousNP && pbStoreLength(previous) == pbVectorLength(records.get()) &&
                     pbStoreLength(previousNP) == pbStoreLength(previous);
    for (PB_INT i = 0; i < pbVectorLength(records.get()); ++i) {
        auto rec = adopt(csObjectRecordFrom(pbVectorObjAt(records.get(), i)));
        auto object = adopt(csObjectRecordObject(rec.get()));
        auto name = adopt(csObjectRecordName(rec.get()));
        String sortName = sortNameOf(object.get());
        ObjectConfigs configs(object.get());
        GatheredEntry g{name, heldEntry(previous, name.get(), rec.get(), sortName.get(), configs.config.get()), {}};
        if (g.entry && previousNP == previous && sameStore(configs.config.get(), configs.configNP.get()))
            g.entryNP = g.entry;
        else if (g.entry)
            g.entryNP = heldEntry(previousNP, name.get(), rec.get(), sortName.get(), configs.configNP.get());
        if (!g.entry || !g.entryNP) {
            unchanged = false;
            objectEntries(rec.get(), sortName.get(), configs, &g.entry, &g.entryNP);
            bool same = g.entry.get() == g.entryNP.get();
            reuseEntry(previous, name.get(), g.entry);
            if (same) g.entryNP = g.entry;
            else reuseEntry(previousNP, name.get(), g.entryNP);
        }
        gathered.push_back(std::move(g));
    }
    if (unchanged) {
        pbStoreSetStore(&configStore, keys->objects.get(), previous);
        pbStoreSetStore(&configStoreNP, keys->objects.get(), previousNP);
        return;
    }
    Store empty = adopt(pbStoreCreate());
    ObjectStores stores(empty, empty);
    for (const auto& g : gathered) stores.set(g.name.get(), g.entry.get(), g.entryNP.get());
    stores.publish();
}

void gatherSorts() {
    Store sorts = adopt(pbStoreCreate());
    auto names = adopt(csSortTableSortNamesVector());
    Store empty = adopt(pbStoreCreate());
    for (PB_INT i = 0; i < pbVectorLength(names.get()); ++i) {
        auto name = adopt(pbStringFrom(pbVectorObjAt(names.get(), i)));
        pbStoreSetStore(sorts.out(), name.get(), empty.get());
    }
    pbStoreSetStore(&configStore, keys->sorts.get(), sorts.get());
    pbStoreSetStore(&configStoreNP, keys->sorts.get(), sorts.get());
}

void setInfo() {
    auto info = adopt(pbRuntimeInfo());
    pbStoreSetStore(&configStore, keys->info.get(), info.get());
    pbStoreSetStore(&configStoreNP, keys->info.get(), info.get());
}

// Hands the trace its form, counts the version and tells the watchers.
PB_INT publish() {
    auto opt = adopt(csModuleOptions());
    trStreamSetConfiguration(configTrStream, csOptionsIncludePrivateData(opt.get()) ? configStore : configStoreNP);
    ++configVersion;
    cs::assertUpdate(configUpdateSignal);
    return configVersion;
}

// Apply, step "modules": every module of the process named in config with
// a "config" store gets it; every module not named gets an empty store.
void applyModules(PB_STORE* config) {
    auto unnamed = adopt(pbDictCreate());
    auto vec = adopt(pbRuntimeModulesVector());
    for (PB_INT i = 0; i < pbVectorLength(vec.get()); ++i) {
        auto module = adopt(pbModuleFrom(pbVectorObjAt(vec.get(), i)));
        auto name = adopt(pbModuleName(module.get()));
        pbDictSetStringKey(unnamed.out(), name.get(), pbStringObj(name.get()));
    }
    if (Store modules = storeOf(config, keys->modules.get())) {
        for (PB_INT i = 0; i < pbStoreLength(modules.get()); ++i) {
            auto name = adopt(pbStoreAddressAt(modules.get(), i));
            Store entry = adopt(pbStoreStoreAt(modules.get(), i));
            if (!pbModuleNameOk(name.get()) || !entry) continue;
            pbDictDelStringKey(unnamed.out(), name.get());
            if (pbStoreLength(entry.get()) == 0) continue;
            if (Store moduleConfig = storeOf(entry.get(), keys->config.get()))
                csModuleSetConfigByModuleName(name.get(), moduleConfig.get());
        }
    }
    for (PB_INT i = 0; i < pbDictLength(unnamed.get()); ++i) {
        auto name = adopt(pbStringFrom(pbDictKeyAt(unnamed.get(), i)));
        csModuleSetConfigByModuleName(name.get(), adopt(pbStoreCreate()).get());
    }
}

// Apply, step "objects", for one entry that passed the name and store
// checks; returns false when the entry is skipped (not seen).
bool applyObject(PB_STRING* name, PB_STORE* entry, ObjectStores& stores) {
    String sort = valueOf(entry, keys->entry.sort.get());
    PB_BOOL visible = PB_TRUE, isProtected = PB_FALSE, trMark = PB_FALSE, flag;
    if (pbStoreValueBool(entry, keys->entry.visible.get(), &flag)) visible = flag;
    if (pbStoreValueBool(entry, keys->entry.protectedFlag.get(), &flag)) isProtected = flag;
    if (pbStoreValueBool(entry, keys->entry.trMark.get(), &flag)) trMark = flag;
    String comment = valueOf(entry, keys->entry.comment.get());
    Store config = storeOf(entry, keys->entry.config.get());
    Store metaData = storeOf(entry, keys->entry.metaData.get());
    if (!sort || !pbNameUpperCaseOk(sort.get(), PB_TRUE)) return false;

    // Keep an object of the same sort and reconfigure it; create any other.
    pb::Ref<PB_OBJ> object = adopt(csObjectTableLookupObjectByName(name));
    if (object && pbStringEquals(sortNameOf(object.get()).get(), sort.get())) {
        if (config) csObjectSetConfig(object.get(), config.get());
    } else {
        object = adopt(cs___ObjectCreateWithFallback(sort.get(), config.get()));
        sort = sortNameOf(object.get());
    }

    auto rec = adopt(csObjectRecordCreate(name, object.get()));
    csObjectRecordSetVisible(rec.out(), visible);
    csObjectRecordSetProtected(rec.out(), isProtected);
    csObjectRecordSetTrMark(rec.out(), trMark);
    if (comment) csObjectRecordSetComment(rec.out(), comment.get());
    if (metaData) csObjectRecordSetMetaData(rec.out(), metaData.get());
    csObjectTableSet(rec.get());

    Store gathered, gatheredNP;
    objectEntries(rec.get(), sort.get(), ObjectConfigs(object.get()), &gathered, &gatheredNP);
    stores.set(name, gathered.get(), gatheredNP.get());
    return true;
}

// The names of the entries an apply has seen. A record that the apply set
// carries the very string of its entry's name, so the deletion step finds
// nearly every name by its address; any other (a record that an empty
// entry keeps) is looked up by value, in a dictionary made once, when the
// first such name comes. The names are held by the applied configuration.
class SeenNames {
public:
    void add(PB_STRING* name) {
        names_.push_back(name);
        addresses_.insert(name);
    }

    bool has(PB_STRING* name) {
        if (addresses_.count(name)) return true;
        if (!byValue_) {
            byValue_ = adopt(pbDictCreate());
            for (PB_STRING* seen : names_) pbDictSetStringKey(byValue_.out(), seen, pbStringObj(seen));
        }
        return pbDictHasStringKey(byValue_.get(), name);
    }

private:
    std::vector<PB_STRING*> names_;
    std::unordered_set<PB_STRING*> addresses_;
    pb::Ref<PB_DICT> byValue_;
};

// The records listed for the deletion step go to later, since they hold
// the last references of the records deleted.
void applyObjects(PB_STORE* config, cs::ReleaseLater& later) {
    cs___ObjectTableUpdateBegin();
    ObjectStores stores(storeOf(configStore, keys->objects.get()), storeOf(configStoreNP, keys->objects.get()));
    SeenNames seen;

    Store entries = storeOf(config, keys->objects.get());
    for (PB_INT i = 0; entries && i < pbStoreLength(entries.get()); ++i) {
        auto name = adopt(pbStoreAddressAt(entries.get(), i));
        Store entry = adopt(pbStoreStoreAt(entries.get(), i));
        if (!csObjectRecordNameOk(name.get()) || !entry) continue;
        if (pbStoreLength(entry.get()) == 0 || applyObject(name.get(), entry.get(), stores)) seen.add(name.get());
    }

    // Records not named and not protected go.
    auto records = adopt(csObjectTableRecordsVector());
    later.keep(records.get());
    for (PB_INT i = 0; i < pbVectorLength(records.get()); ++i) {
        auto rec = adopt(csObjectRecordFrom(pbVectorObjAt(records.get(), i)));
        auto name = adopt(csObjectRecordName(rec.get()));
        if (seen.has(name.get()) || csObjectRecordProtected(rec.get())) continue;
        csObjectTableDelByName(name.get());
        stores.del(name.get());
    }
    cs___ObjectTableUpdateEnd();
    stores.publish();
}

}  // namespace

extern "C" PB_EXPORT void cs___ConfigStartup(void) {
    configTrStream = cs___ModuleTrStream();
    configMonitor = pbMonitorCreate();
    configUpdateSignal = pbSignalCreate();
    configVersion = 0;
    configStore = pbStoreCreate();
    configStoreNP = pbStoreCreate();
    keys = new Keys;
    csConfigGather();
}

extern "C" PB_EXPORT void cs___ConfigShutdown(void) {
    pb::releaseField(configStoreNP);
    pb::releaseField(configStore);
    pb::releaseField(configUpdateSignal);
    pb::releaseField(configMonitor);
    pb::releaseField(configTrStream);
    delete keys;
    keys = reinterpret_cast<Keys*>(~uintptr_t(0));
    configVersion = 0;
}

// Gather and apply keep a cs::ReleaseLater across their hold of the
// monitor: what they, the object table and its observers drop on the way
// (replaced and deleted records, and with them their objects) is released
// after the monitor is left.
extern "C" PB_EXPORT PB_INT csConfigGather(void) {
    cs::ReleaseLater later;
    pb::MonitorGuard guard(configMonitor);
    Store previous = storeOf(configStore, keys->objects.get());
    Store previousNP = storeOf(configStoreNP, keys->objects.get());
    pb::setField(configStore, adopt(pbStoreCreate()).get());
    pb::setField(configStoreNP, adopt(pbStoreCreate()).get());
    setInfo();
    gatherModules();
    gatherObjects(later, previous.get(), previousNP.get());
    gatherSorts();
    return publish();
}

extern "C" PB_EXPORT PB_INT csConfigSetConfig(PB_STORE* config) {
    PB_ASSERT(config);
    cs::ReleaseLater later;
    pb::MonitorGuard guard(configMonitor);
    applyModules(config);
    gatherModules();
    applyObjects(config, later);
    setInfo();
    gatherSorts();
    return publish();
}

extern "C" PB_EXPORT PB_STORE* csConfigConfig(PB_INT* version) {
    pb::MonitorGuard guard(configMonitor);
    if (version) *version = configVersion;
    return pbStoreRetain(configStore);
}

extern "C" PB_EXPORT PB_INT csConfigVersion(void) {
    pb::MonitorGuard guard(configMonitor);
    return configVersion;
}

extern "C" PB_EXPORT void csConfigUpdateAddSignalable(PB_SIGNALABLE* signalable) {
    pb::MonitorGuard guard(configMonitor);
    pbSignalAddSignalable(configUpdateSignal, signalable);
}

extern "C" PB_EXPORT void csConfigUpdateDelSignalable(PB_SIGNALABLE* signalable) {
    pb::MonitorGuard guard(configMonitor);
    pbSignalDelSignalable(configUpdateSignal, signalable);
}
