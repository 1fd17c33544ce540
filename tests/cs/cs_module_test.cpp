// The module's lifecycle and options: loaded by name through the runtime,
// its trace stream, status item and update signal, start-up complete, and
// nothing alive after it stopped.
#include <gtest/gtest.h>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_signalable.h"
#include "support/cs_fixture.hpp"

namespace {

using pb::adopt;
using vtest::take;

struct Counter {
    int hits = 0;
    pb::Ref<PB_SIGNALABLE> signalable =
        adopt(pbSignalableCreateWithCallback([](void* c) { ++static_cast<Counter*>(c)->hits; }, this));
};

class CsModule : public vtest::CsModuleTest {
protected:
    static bool maintenanceItem() {
        auto status = adopt(csModuleCsStatus());
        auto items = adopt(csStatusItems(status.get()));
        auto item = adopt(csStatusItemsItemCstr(items.get(), "csMaintenanceModeActive", -1));
        EXPECT_TRUE(item && csStatusItemHasBoolValue(item.get()));
        return item && csStatusItemBoolValue(item.get());
    }
    static std::string streamProperty(const char* key) {
        auto stream = adopt(cs___ModuleTrStream());
        auto value = adopt(trStreamPropertyCstr(stream.get(), key, -1));
        return value ? take(trPropertyValueString(value.get())) : "<none>";
    }
};

TEST_F(CsModule, StartsWithFreshDefaultOptionsMirroredIntoTraceAndStatus) {
    EXPECT_EQ(pbRuntimeModule(adopt(pbStringCreateFromCstr("cs", -1)).get()), csModule());
    auto opt = adopt(csModuleOptions());
    auto id = adopt(csOptionsSystemIdentifier(opt.get()));
    EXPECT_FALSE(csModuleMaintenanceModeActive());
    EXPECT_EQ(streamProperty("csSystemIdentifier"), take(pbIdentifierString(id.get())));
    EXPECT_EQ(streamProperty("csComment"), "<none>");
    EXPECT_FALSE(maintenanceItem());
    EXPECT_TRUE(csModuleTableHasModule(csModule()));
}

TEST_F(CsModule, SettingOptionsSignalsOnceAndOnlyForAnotherObject) {
    Counter watcher;
    csModuleUpdateAddSignalable(watcher.signalable.get());
    auto current = adopt(csModuleOptions());
    csModuleSetOptions(current.get());  // the same object: no change
    EXPECT_EQ(watcher.hits, 0);

    auto copy = adopt(csOptionsCreateFrom(current.get()));  // equal, but another object
    csModuleSetOptions(copy.get());
    EXPECT_EQ(watcher.hits, 1);

    csOptionsSetMaintenanceMode(copy.out(), PB_TRUE);  // copies: copy is shared now
    csOptionsSetComment(copy.out(), adopt(pbStringCreateFromCstr("lab", -1)).get());
    csModuleSetOptions(copy.get());
    EXPECT_EQ(watcher.hits, 1);  // heard one change; not added again
    EXPECT_TRUE(csModuleMaintenanceModeActive());
    EXPECT_TRUE(maintenanceItem());
    EXPECT_EQ(streamProperty("csComment"), "lab");

    csModuleUpdateAddSignalable(watcher.signalable.get());
    csModuleSetOptions(current.get());
    EXPECT_EQ(watcher.hits, 2);
    EXPECT_EQ(streamProperty("csComment"), "lab");  // no comment: left as it was

    auto other = adopt(pbIdentifierCreate());
    csOptionsSetSystemIdentifier(copy.out(), other.get());
    csModuleSetOptions(copy.get());
    EXPECT_EQ(streamProperty("csSystemIdentifier"), take(pbIdentifierString(other.get())));
}

TEST_F(CsModule, ModuleConfigurationIsItsOptions) {
    auto config = adopt(csModuleConfigByModule(csModule(), PB_FALSE, PB_FALSE));
    auto opt = adopt(csModuleOptions());
    EXPECT_TRUE(pbStoreEquals(config.get(), adopt(csOptionsStore(opt.get())).get()));

    Counter watcher;
    csModuleUpdateAddSignalable(watcher.signalable.get());
    csModuleSetConfigByModule(csModule(), adopt(pbStoreCreate()).get());  // does not restore: ignored
    auto bad = adopt(pbStoreCreate());
    pbStoreSetValueCstr(bad.out(), "systemIdentifier", -1, adopt(pbStringCreateFromCstr("x", -1)).get());
    csModuleSetConfigByModule(csModule(), bad.get());
    EXPECT_EQ(watcher.hits, 0);
    auto unchanged = adopt(csModuleOptions());
    EXPECT_EQ(unchanged.get(), opt.get());

    pbStoreSetValueBoolCstr(config.out(), "maintenanceMode", -1, PB_TRUE);
    csModuleSetConfigByModule(csModule(), config.get());
    EXPECT_EQ(watcher.hits, 1);
    EXPECT_TRUE(csModuleMaintenanceModeActive());
}

TEST_F(CsModule, StartupCompleteAfterTenSeconds) {
    Counter watcher;
    csStartupCompleteAddSignalable(watcher.signalable.get());
    advance(9999);
    EXPECT_FALSE(csStartupComplete());
    EXPECT_EQ(watcher.hits, 0);
    advance(1);
    EXPECT_TRUE(csStartupComplete());
    EXPECT_EQ(watcher.hits, 1);
    Counter late;
    csStartupCompleteAddSignalable(late.signalable.get());  // already asserted: told at once
    EXPECT_EQ(late.hits, 1);
}

using CsModuleDeathTest = CsModule;

TEST_F(CsModuleDeathTest, OptionsAndConfigurationMustNotBeNull) {
    EXPECT_DEATH(csModuleSetOptions(nullptr), "cs_module.cpp:[0-9]+: opt\n");
}

}  // namespace
