// The runtime: loading modules by name, their hooks in order, paths, info.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <string>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using vtest::take;

std::string moduleNames() {
    auto vec = pb::adopt(pbRuntimeModulesVector());
    std::string names;
    for (PB_INT i = 0; i < pbVectorLength(vec.get()); ++i) {
        auto m = pb::adopt(pbModuleFrom(pbVectorObjAt(vec.get(), i)));
        names += pbModuleNameCstr(m.get());
        names += " ";
    }
    return names;
}

TEST(PbRuntime, LoadsAModuleByNameAndRunsItsHooksInOrder) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto paths = pb::adopt(pbRuntimePathsCreate());
    pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_MODULES, TINY_MODULE_DIR, -1);
    pbRuntimeStart(paths.get());
    EXPECT_EQ(moduleNames(), "pb ");
    EXPECT_EQ(pbRuntimeLoadModuleCstr("nosuchmodule", -1), nullptr);

    PB_MODULE* tiny = pbRuntimeLoadModuleCstr("tinymod", -1);
    ASSERT_NE(tiny, nullptr);
    EXPECT_EQ(pbRuntimeLoadModuleCstr("tinymod", -1), tiny);  // loaded once
    auto log = reinterpret_cast<const char* (*)()>(dlsym(RTLD_DEFAULT, "tinymod___Log"));
    ASSERT_NE(log, nullptr);
    EXPECT_STREQ(log(), "startup;");
    EXPECT_EQ(moduleNames(), "pb rfc tinymod ");  // the used module came first
    auto version = pb::adopt(pbModuleVersion(tiny));
    EXPECT_EQ(take(pbModuleVersionToString(version.get())), "1.2.3");

    pbRuntimeStop();
    EXPECT_STREQ(log(), "startup;halt;shutdown;finalRelease;");
    EXPECT_FALSE(pbRuntimeStarted());
}

// A module that does not load comes with the loader's reason: a library
// that is nowhere, and one that is there but holds no descriptor.
TEST(PbRuntime, SaysWhyAModuleDidNotLoad) {
    VTEST_NO_LEAKS_IN_SCOPE();
    char dir[] = "/tmp/pb_runtime_test_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string copy = std::string(dir) + "/libvorlix-other.so";
    std::filesystem::copy_file(std::string(TINY_MODULE_DIR) + "/libvorlix-tinymod.so", copy);
    auto paths = pb::adopt(pbRuntimePathsCreate());
    pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_MODULES, dir, -1);
    pbRuntimeStart(paths.get());
    PB_STRING* reason = nullptr;
    EXPECT_EQ(pbRuntimeLoadModuleWithReason(vtest::str("nosuchmodule").get(), &reason), nullptr);
    EXPECT_EQ(take(reason).rfind("libvorlix-nosuchmodule.so not found (looked for " + std::string(dir), 0), 0u);
    EXPECT_EQ(pbRuntimeLoadModuleWithReason(vtest::str("other").get(), &reason), nullptr);
    EXPECT_EQ(take(reason), copy + " has no module descriptor other___module");
    pbRuntimeStop();
    std::filesystem::remove_all(dir);
}

TEST(PbRuntime, PathsAndInfo) {
    VTEST_NO_LEAKS_IN_SCOPE();
    pbRuntimeStart(nullptr);
    auto none = pb::adopt(pbRuntimePaths());
    EXPECT_EQ(pbRuntimePathsPath(none.get(), PB_RUNTIME_PATH_CONFIGURATION), nullptr);
    auto paths = pb::adopt(pbRuntimePathsCreate());
    pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_CONFIGURATION, "/etc/vorlix", -1);
    pbRuntimeSetPaths(paths.get());
    auto now = pb::adopt(pbRuntimePaths());
    EXPECT_EQ(take(pbRuntimePathsPath(now.get(), 4)), "/etc/vorlix");

    auto info = pb::adopt(pbRuntimeInfo());
    EXPECT_EQ(take(pbStoreValueCstr(info.get(), "productVersion", -1)), "4.14.21");
    EXPECT_EQ(take(pbStoreValueCstr(info.get(), "startTime", -1)).size(), 20u);
    pbRuntimeStop();
}

TEST(PbRuntimeDeathTest, StartsOnce) {
    pbRuntimeStart(nullptr);
    EXPECT_DEATH(pbRuntimeStart(nullptr), "!state.started");
    EXPECT_DEATH(pbRuntimeLoadModuleCstr("Bad", -1), "pbModuleNameOk\\( name \\)");
    pbRuntimeStop();
}

}  // namespace
