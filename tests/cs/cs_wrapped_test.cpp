// Wrapped objects and stubs: the wrapped options' store form, the two
// registered sorts, objects by sort, and creation with fallback.
#include <gtest/gtest.h>

#include <string>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/cs_fixture.hpp"
#include "support/live_objects.hpp"
#include "support/store_text.hpp"
#include "support/text.hpp"

namespace {

using pb::adopt;
using vtest::take;
using vtest::str;

PB_SORT_DEFINE(widgetSort, &cs___module, "TEST_WIDGET", nullptr, nullptr, nullptr);

using Store = pb::Ref<PB_STORE>;
using Obj = pb::Ref<PB_OBJ>;
using Options = pb::Ref<CS_WRAPPED_OPTIONS>;

Store storeWith(const char* key, const char* value) {
    Store s = adopt(pbStoreCreate());
    pbStoreSetValueCstr(s.out(), key, -1, str(value).get());
    return s;
}

// The widget sort makes an object unless its configuration says "refuse".
PB_OBJ* widgetTryCreate(PB_OBJ*, PB_STORE* config, TR_ANCHOR*) {
    if (config && pbStoreHasAddressCstr(config, "refuse", -1)) return nullptr;
    return pb___ObjCreate(sizeof(PB_OBJ), &widgetSort);
}

Options optionsOf(const Obj& wrapped) { return adopt(csWrappedOptions(csWrappedFrom(wrapped.get()))); }

Store wrappedEntry(PB_INT mode, const char* innerSort, const Store& innerConfig) {
    Options opt = adopt(csWrappedOptionsCreate());
    csWrappedOptionsSetMode(opt.out(), mode);
    if (innerSort) csWrappedOptionsSetSortName(opt.out(), str(innerSort).get());
    csWrappedOptionsSetConfig(opt.out(), innerConfig.get());
    return adopt(csWrappedOptionsStore(opt.get()));
}

Obj withFallback(const char* sortName, const Store& config) {
    return adopt(cs___ObjectCreateWithFallback(str(sortName).get(), config.get()));
}

using CsWrapped = vtest::CsModuleTest;

TEST_F(CsWrapped, OptionsStoreFormAndTolerantRestore) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Options defaults = adopt(csWrappedOptionsRestore(adopt(pbStoreCreate()).get()));
    EXPECT_EQ(vtest::encode(adopt(csWrappedOptionsStore(defaults.get())).get()),
              vtest::canonical(R"({"mode":"CS_WRAPPED_MODE_FALLBACK","config":{}})"));

    Store inner = storeWith("anything", "kept");
    Store full = wrappedEntry(CS_WRAPPED_MODE_DISABLED_HERE, "SOME_SORT", inner);
    Options back = adopt(csWrappedOptionsRestore(full.get()));
    EXPECT_TRUE(pbStoreEquals(adopt(csWrappedOptionsStore(back.get())).get(), full.get()));

    // Malformed keys are ignored one by one.
    Store bad = adopt(pbStoreCreateFrom(full.get()));
    pbStoreSetValueCstr(bad.out(), "sort", -1, str("lower_case").get());
    pbStoreSetValueCstr(bad.out(), "mode", -1, str("CS_WRAPPED_MODE_SOMETIMES").get());
    pbStoreSetValueCstr(bad.out(), "config", -1, str("not a store").get());
    Options tolerant = adopt(csWrappedOptionsRestore(bad.get()));
    EXPECT_FALSE(csWrappedOptionsHasSortName(tolerant.get()));
    EXPECT_EQ(csWrappedOptionsMode(tolerant.get()), CS_WRAPPED_MODE_FALLBACK);
    EXPECT_EQ(pbStoreLength(adopt(csWrappedOptionsConfig(tolerant.get())).get()), 0);
}

TEST_F(CsWrapped, RegisteredSortsCreateConfigureAndNormalize) {
    VTEST_NO_LEAKS_IN_SCOPE();
    Store inner = storeWith("x", "1");
    Store entry = wrappedEntry(CS_WRAPPED_MODE_DISABLED, "SOME_SORT", inner);
    Obj wrapped = adopt(csObjectTryCreateBySort(csWrappedSort(), entry.get(), nullptr));
    ASSERT_EQ(pbObjSort(wrapped.get()), csWrappedSort());
    EXPECT_TRUE(pbStoreEquals(adopt(csObjectConfig(wrapped.get(), PB_TRUE, PB_TRUE)).get(), entry.get()));
    Store changed = wrappedEntry(CS_WRAPPED_MODE_FALLBACK, nullptr, inner);
    csObjectSetConfig(wrapped.get(), changed.get());
    EXPECT_FALSE(csWrappedOptionsHasSortName(optionsOf(wrapped).get()));

    Store extra = adopt(pbStoreCreateFrom(entry.get()));
    pbStoreSetValueCstr(extra.out(), "colour", -1, str("red").get());
    Store normal = adopt(csSortNormalizeConfig(csWrappedSort(), extra.get(), PB_FALSE, PB_FALSE));
    EXPECT_TRUE(pbStoreEquals(normal.get(), entry.get()));

    // A stub keeps exactly what it was given.
    Store odd = storeWith("containerType", "whatever");
    pbStoreSetValueIntCstr(odd.out(), "n", -1, 3);
    Obj stub = adopt(csObjectTryCreateBySortName(str("CS_STUB").get(), odd.get(), nullptr));
    EXPECT_EQ(adopt(csObjectConfig(stub.get(), PB_FALSE, PB_FALSE)).get(), odd.get());
    EXPECT_EQ(adopt(csSortNormalizeConfig(csStubSort(), odd.get(), PB_TRUE, PB_TRUE)).get(), odd.get());
    csObjectSetConfig(stub.get(), inner.get());
    EXPECT_EQ(adopt(csStubConfig(csStubFrom(stub.get()))).get(), inner.get());
}

TEST_F(CsWrapped, UnregisteredSortsGiveNeutralAnswers) {
    Obj widget = adopt(pb___ObjCreate(sizeof(PB_OBJ), &widgetSort));
    EXPECT_EQ(csObjectTryCreateBySort(&widgetSort, nullptr, nullptr), nullptr);
    EXPECT_EQ(pbStoreLength(adopt(csObjectConfig(widget.get(), PB_FALSE, PB_FALSE)).get()), 0);
    csObjectSetConfig(widget.get(), storeWith("a", "b").get());
    EXPECT_EQ(csObjectStatus(widget.get()), nullptr);
    auto stream = adopt(trStreamCreateCstr("TEST", -1));
    auto anchor = adopt(trAnchorCreate(stream.get(), 12));
    csObjectTraceCompleteAnchor(widget.get(), anchor.get());
    EXPECT_EQ(trStreamLinksCount(stream.get()), 0);
}

TEST_F(CsWrapped, FallbackWrapsMissingSortsAndUnwrapsWhenTheyArrive) {
    Store config = storeWith("size", "large");

    // No sort record: a wrapped placeholder keeps name, mode and config,
    // and gathers back as a wrapped entry.
    Obj placeholder = withFallback("TEST_WIDGET", config);
    ASSERT_EQ(pbObjSort(placeholder.get()), csWrappedSort());
    Store gathered = adopt(csObjectConfig(placeholder.get(), PB_FALSE, PB_FALSE));
    Store expected = wrappedEntry(CS_WRAPPED_MODE_FALLBACK, "TEST_WIDGET", config);
    EXPECT_TRUE(pbStoreEquals(gathered.get(), expected.get()));

    // A registered sort that declines also leaves a placeholder.
    auto backend = adopt(csSortBackendCreate(&widgetSort, widgetTryCreate, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr));
    Store refusing = storeWith("refuse", "yes");
    EXPECT_EQ(pbObjSort(withFallback("TEST_WIDGET", refusing).get()), csWrappedSort());
    EXPECT_EQ(pbObjSort(withFallback("TEST_WIDGET", config).get()), &widgetSort);

    // The gathered entry, applied again now that the sort exists, opens.
    EXPECT_EQ(pbObjSort(withFallback("CS_WRAPPED", gathered).get()), &widgetSort);
    Store declined = wrappedEntry(CS_WRAPPED_MODE_FALLBACK, "TEST_WIDGET", refusing);
    EXPECT_EQ(pbObjSort(withFallback("CS_WRAPPED", declined).get()), csWrappedSort());
    for (PB_INT mode : {CS_WRAPPED_MODE_DISABLED, CS_WRAPPED_MODE_DISABLED_HERE}) {
        Store disabled = wrappedEntry(mode, "TEST_WIDGET", config);
        EXPECT_EQ(pbObjSort(withFallback("CS_WRAPPED", disabled).get()), csWrappedSort()) << mode;
    }

    // Only one level opens: an entry wrapping a wrapped entry stays wrapped.
    Store twice = wrappedEntry(CS_WRAPPED_MODE_FALLBACK, "CS_WRAPPED", gathered);
    Obj outer = withFallback("CS_WRAPPED", twice);
    ASSERT_EQ(pbObjSort(outer.get()), csWrappedSort());
    EXPECT_EQ(take(csWrappedOptionsSortName(optionsOf(outer).get())), "TEST_WIDGET");

    Obj noConfig = adopt(cs___ObjectCreateWithFallback(str("TEST_MISSING").get(), nullptr));
    EXPECT_EQ(pbStoreLength(adopt(csWrappedOptionsConfig(optionsOf(noConfig).get())).get()), 0);
}

using CsWrappedDeathTest = CsWrapped;

TEST_F(CsWrappedDeathTest, PreconditionsStopTheProcess) {
    Options opt = adopt(csWrappedOptionsCreate());
    EXPECT_DEATH(csWrappedOptionsSetMode(opt.out(), 3), "cs_wrapped_options.cpp:[0-9]+: CS_WRAPPED_MODE_OK\\( mode \\)");
    EXPECT_DEATH(csWrappedOptionsSetSortName(opt.out(), str("Mixed").get()),
                 "cs_wrapped_options.cpp:[0-9]+: pbNameUpperCaseOk\\( sortName, PB_TRUE \\)");
    EXPECT_DEATH(cs___ObjectCreateWithFallback(str("lower").get(), nullptr),
                 "cs_object.cpp:[0-9]+: pbNameUpperCaseOk\\( sortName, PB_TRUE \\)");
}

}  // namespace
