// Reads arbitrary bytes as a configuration file and takes what loads through
// the steps of a host: migrate, apply, gather, apply the gathered store once
// more, save, load, and clear. Migrating twice changes nothing more than
// migrating once; the store an apply keeps is the one a gather after it
// gives; applying what was gathered keeps every object and gathers to the
// same store; what is saved loads back equal; and after each input exactly
// the objects that were alive before it are alive.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cs/base/cs_module.h"
#include "cs/base/cs_options.h"
#include "cs/base/cs_stub.h"
#include "cs/config/cs_config.h"
#include "cs/config/cs_config_store.h"
#include "cs/object/cs_object_record.h"
#include "cs/object/cs_object_table.h"
#include "cs/update/cs_update.h"
#include "cs/update/cs_update_table.h"
#include "cs_fuzz_support.hpp"
#include "pb/pb_string.h"
#include "pb/pb_vector.h"
#include "tr/tr_stream.h"

namespace {

using pb::adopt;
using Store = pb::Ref<PB_STORE>;

// Set up by the first input and kept for the life of the process.
std::string filePath;                // the file that every input is written to
PB_STRING* filePathString = nullptr;  // the same path as a runtime string
CS_OPTIONS* initialOptions = nullptr; // the module's options after start-up; every input ends with them
PB_STRING* flushName = nullptr;       // the record that pushes the input's records out of the trace
CS_STUB* flushStub = nullptr;         // its object
csfuzz::LiveObjects* before = nullptr;

// Goes through the module once before the count is taken, so that what
// stays by design is there from the start: the "csComment" property, which
// options without a comment leave as it was, and the names of the trace
// properties and status items, of which the module may keep the first
// string it was given.
const char kWarmUp[] = R"({"modules":{"cs":{"config":{"systemIdentifier":"00000000-0000-4000-8000-000000000000",
  "comment":"warm-up","includePrivateData":true,"maintenanceMode":true}}},
  "objects":{"a":{"sort":"CS_STUB","protected":true,"trMark":true,"comment":"c","metaData":{"m":1},"config":{"k":1}},
             "b":{"sort":"CS_UNKNOWN","visible":false,"config":{"k":2}}}})";

void run(const uint8_t* data, size_t size);

void removeFile() { std::remove(filePath.c_str()); }

// A file in memory when /dev/shm is there, named after the process, so that
// parallel fuzzing jobs do not share it.
void setUp() {
    csfuzz::startModule();
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    filePath = std::string(folder) + "/vorlix-fuzz-config-" + std::to_string(getpid()) + ".vqconfig";
    std::atexit(removeFile);
    filePathString = pbStringCreateFromCstr(filePath.c_str(), -1);
    initialOptions = csModuleOptions();
    flushName = pbStringCreateFromCstr("fuzz-flush", -1);
    flushStub = csStubCreate();
    for (int i = 0; i < 2; ++i) run(reinterpret_cast<const uint8_t*>(kWarmUp), sizeof kWarmUp - 1);
    before = new csfuzz::LiveObjects();
}

void writeFile(const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(filePath.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) {
        std::perror(filePath.c_str());
        std::abort();
    }
}

Store migrate(PB_STORE* loaded) {
    auto update = adopt(csUpdateCreate(loaded));
    csUpdateTableUpdate(update.out());
    return adopt(csUpdateCurrent(update.get()));
}

Store gather() {
    csConfigGather();
    return adopt(csConfigConfig(nullptr));
}

// Applying the gathered store must leave every record's object in place.
void applyGatheredKeepsObjects(PB_STORE* gathered) {
    auto records = adopt(csObjectTableRecordsVector());
    csConfigSetConfig(gathered);
    auto after = adopt(csObjectTableRecordsVector());
    bool same = pbVectorLength(records.get()) == pbVectorLength(after.get());
    for (PB_INT i = 0; same && i < pbVectorLength(records.get()); ++i) {
        auto rec = adopt(csObjectRecordFrom(pbVectorObjAt(records.get(), i)));
        auto name = adopt(csObjectRecordName(rec.get()));
        auto was = adopt(csObjectRecordObject(rec.get()));
        auto now = adopt(csObjectTableLookupObjectByName(name.get()));
        same = was.get() == now.get();
    }
    if (!same) {
        std::fprintf(stderr, "applying the gathered configuration replaced objects\n");
        csfuzz::dump("gathered", gathered);
        std::abort();
    }
}

// A configuration naming every object of `gathered` as unprotected, so that
// the empty configuration applied after it deletes them all.
Store unprotected(PB_STORE* gathered) {
    Store objects = adopt(pbStoreStoreCstr(gathered, "objects", -1));
    Store config = adopt(pbStoreCreate());
    if (!objects) return config;
    for (PB_INT i = 0; i < pbStoreLength(objects.get()); ++i) {
        Store entry = adopt(pbStoreStoreAt(objects.get(), i));
        if (!entry) continue;
        pbStoreSetValueBoolCstr(entry.out(), "protected", -1, PB_FALSE);
        auto name = adopt(pbStoreAddressAt(objects.get(), i));
        pbStoreSetStore(objects.out(), name.get(), entry.get());
    }
    pbStoreSetStoreCstr(config.out(), "objects", -1, objects.get());
    return config;
}

// The object table's trace stream keeps links to the streams of the last
// TR_STREAM_LINKS_MAX records entered (tr_stream.h), and through them the
// streams of their objects. Entering one fixed record that often pushes the
// input's records out, so the links hold the same objects after every input.
void flushTableTrace() {
    for (int i = 0; i < TR_STREAM_LINKS_MAX; ++i)
        csObjectTableSet(adopt(csObjectRecordCreate(flushName, csStubObj(flushStub))).get());
    csObjectTableDelByName(flushName);
}

// Deletes every object, puts the start-up options back and gathers, so the
// module holds what it held before the input.
void clear(PB_STORE* gathered) {
    csConfigSetConfig(unprotected(gathered).get());
    csConfigSetConfig(adopt(pbStoreCreate()).get());
    auto left = adopt(csObjectTableRecordsVector());
    if (pbVectorLength(left.get()) != 0) {
        std::fprintf(stderr, "%lld objects survived the empty configuration\n",
                     static_cast<long long>(pbVectorLength(left.get())));
        std::abort();
    }
    auto options = adopt(csModuleOptions());
    if (options.get() != initialOptions) csModuleSetOptions(initialOptions);
    flushTableTrace();
    csConfigGather();
    pbRuntimeManualRunPending();
}

// Applies config; the store that apply keeps must be the one a gather
// right after it gives, since every object starts the input unnamed.
Store applyAndGather(PB_STORE* config, bool keepsObjects) {
    if (keepsObjects)
        applyGatheredKeepsObjects(config);
    else
        csConfigSetConfig(config);
    pbRuntimeManualRunPending();
    Store applied = adopt(csConfigConfig(nullptr));
    Store gathered = gather();
    csfuzz::expectSameEncoding("the applied configuration and a gather after it", applied.get(), gathered.get());
    return gathered;
}

// What is saved to a file loads back equal.
void saveAndLoad(PB_STORE* config) {
    if (!cs___ConfigStoreSaveToFile(config, filePathString)) {
        std::fprintf(stderr, "%s: the configuration was not saved\n", filePath.c_str());
        std::abort();
    }
    Store loaded = adopt(cs___ConfigStoreLoadFromFile(filePathString));
    if (!loaded) {
        std::fprintf(stderr, "%s: the saved configuration did not load\n", filePath.c_str());
        std::abort();
    }
    csfuzz::expectSameEncoding("a saved and loaded configuration", config, loaded.get());
}

void run(const uint8_t* data, size_t size) {
    writeFile(data, size);
    Store loaded = adopt(cs___ConfigStoreLoadFromFile(filePathString));
    if (!loaded) return;

    Store migrated = migrate(loaded.get());
    csfuzz::expectSameEncoding("migrating a migrated configuration", migrated.get(), migrate(migrated.get()).get());

    Store first = applyAndGather(migrated.get(), false);
    Store second = applyAndGather(first.get(), true);
    csfuzz::expectSameEncoding("gathering after applying the gathered configuration", first.get(), second.get());
    saveAndLoad(second.get());

    clear(second.get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!before) setUp();
    run(data, size);
    before->expectUnchanged("after the input");
    return 0;
}
