// vorlix-config: checks, migrates, normalises and compares configuration
// files without a running service.
//
//   vorlix-config [--json] [--module NAME]... [--modules DIR] COMMAND
//     check FILE       does it load; its header type; what apply would skip
//     migrate FILE     the configuration after the registered updates
//     normalize FILE   every object's configuration through its sort's
//                      normalise callback (sorts of the loaded modules)
//     diff A B         modules and objects added, removed and changed
//     fleet ...        a group's configuration and hosts in etcd
//                      (fleet_command.h)
//
// Exit status: 0 fine (diff: no difference), 1 a problem was found (diff:
// they differ), 2 bad options or a file that cannot be used.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "../common/config_diff.h"
#include "../common/config_file.h"
#include "../common/config_review.h"
#include "../common/command_line.h"
#include "../common/text.h"
#include "fleet_command.h"
#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_runtime.h"
#include "pb/pb_store_encoding.h"

namespace {

using namespace vorlix::tools;

struct Options {
    bool json = false, complete = false;
    std::vector<std::string> modules;
    std::string modulesDir, output;
    std::vector<std::string> files;
};

long long partLength(PB_STORE* config, const char* part) {
    auto entries = pb::adopt(pbStoreStoreCstr(config, part, -1));
    return entries ? pbStoreLength(entries.get()) : 0;
}

// Reads a file for a command; reports and gives null when unusable.
pb::Ref<PB_STORE> load(const std::string& path, const Options& options) {
    ConfigFile file = readConfigFile(path);
    if (!file.store) {
        if (options.json)
            std::printf("{\"file\":%s,\"ok\":false,\"error\":%s}\n", jsonQuote(path).c_str(), jsonQuote(file.error).c_str());
        else
            std::fprintf(stderr, "vorlix-config: %s %s\n", path.c_str(), file.error.c_str());
    }
    return file.store;
}

// Prints a configuration with its header, to stdout or to --output.
int emit(PB_STORE* config, const Options& options) {
    if (!options.output.empty()) {
        if (writeConfigFile(config, options.output)) return 0;
        std::fprintf(stderr, "vorlix-config: cannot write %s\n", options.output.c_str());
        return 2;
    }
    auto header = pb::adopt(pbStoreHeaderCreateCstr("CS_CONFIG", -1));
    auto bytes = pb::adopt(pbStoreEncode(config, header.get()));
    std::string text(reinterpret_cast<const char*>(pbBufferBacking(bytes.get())), size_t(pbBufferLength(bytes.get())));
    std::fputs((text + "\n").c_str(), stdout);
    return 0;
}

int check(const Options& options) {
    const std::string& path = options.files[0];
    ConfigFile file = readConfigFile(path);
    if (!file.store) {
        if (options.json)
            std::printf("{\"file\":%s,\"ok\":false,\"headerType\":%s,\"error\":%s}\n", jsonQuote(path).c_str(),
                        file.headerType.empty() ? "null" : jsonQuote(file.headerType).c_str(),
                        jsonQuote(file.error).c_str());
        else
            std::printf("%s: %s\n", path.c_str(), file.error.c_str());
        return 2;
    }
    auto skipped = skippedEntries(file.store.get());
    long long modules = partLength(file.store.get(), "modules"), objects = partLength(file.store.get(), "objects");
    if (options.json) {
        std::string list = "[";
        for (size_t i = 0; i < skipped.size(); ++i)
            list += std::string(i ? "," : "") + "{\"part\":" + jsonQuote(skipped[i].part) + ",\"name\":" +
                    jsonQuote(skipped[i].name) + ",\"reason\":" + jsonQuote(skipped[i].reason) + "}";
        std::printf("{\"file\":%s,\"ok\":%s,\"headerType\":%s,\"modules\":%lld,\"objects\":%lld,\"skipped\":%s]}\n",
                    jsonQuote(path).c_str(), skipped.empty() ? "true" : "false",
                    file.headerType.empty() ? "null" : jsonQuote(file.headerType).c_str(), modules, objects,
                    list.c_str());
    } else {
        std::printf("%s: %s, %lld modules, %lld objects\n", path.c_str(),
                    file.headerType.empty() ? "headerless store" : (file.headerType + " configuration").c_str(),
                    modules, objects);
        for (const auto& s : skipped)
            std::printf("%s: apply skips %s%s: %s\n", path.c_str(), s.part.c_str(),
                        s.name.empty() ? "" : ("/" + s.name).c_str(), s.reason.c_str());
    }
    return skipped.empty() ? 0 : 1;
}

pb::Ref<PB_STORE> migrated(PB_STORE* config) {
    auto update = pb::adopt(csUpdateCreate(config));
    csUpdateTableUpdate(update.out());
    return pb::adopt(csUpdateCurrent(update.get()));
}

int migrate(const Options& options) {
    auto config = load(options.files[0], options);
    if (!config) return 2;
    return emit(migrated(config.get()).get(), options);
}

// The registered sort of that name, or null.
PB_SORT* registeredSort(PB_STRING* name) {
    auto sorts = pb::adopt(csSortTableSortsVector());
    for (PB_INT i = 0; i < pbVectorLength(sorts.get()); ++i) {
        PB_SORT* sort = pbSortFrom(pb::adopt(pbVectorObjAt(sorts.get(), i)).get());  // sorts are static
        if (pbObjEquals(reinterpret_cast<PB_OBJ*>(pb::adopt(pbSortName(sort)).get()), reinterpret_cast<PB_OBJ*>(name)))
            return sort;
    }
    return nullptr;
}

int normalize(const Options& options) {
    auto config = load(options.files[0], options);
    if (!config) return 2;
    auto objects = pb::adopt(pbStoreStoreCstr(config.get(), "objects", -1));
    int unknown = 0;
    for (PB_INT i = 0; objects && i < pbStoreLength(objects.get()); ++i) {
        auto entry = pb::adopt(pbStoreStoreAt(objects.get(), i));
        auto sortName = pb::adopt(entry ? pbStoreValueCstr(entry.get(), "sort", -1) : nullptr);
        auto objectConfig = pb::adopt(entry ? pbStoreStoreCstr(entry.get(), "config", -1) : nullptr);
        if (!sortName || !objectConfig) continue;
        PB_SORT* sort = pbNameUpperCaseOk(sortName.get(), PB_TRUE) ? registeredSort(sortName.get()) : nullptr;
        if (!sort) {
            std::fprintf(stderr, "vorlix-config: %s: sort %s is not known here; left as it is\n",
                         utf8(pb::adopt(pbStoreAddressAt(objects.get(), i)).get()).c_str(), utf8(sortName.get()).c_str());
            ++unknown;
            continue;
        }
        auto normal = pb::adopt(csSortNormalizeConfig(sort, objectConfig.get(), options.complete, PB_TRUE));
        pbStoreSetStoreCstr(entry.out(), "config", -1, normal.get());
        pbStoreSetStoreAt(objects.out(), i, entry.get());
    }
    if (objects) pbStoreSetStoreCstr(config.out(), "objects", -1, objects.get());
    int status = emit(config.get(), options);
    return status ? status : (unknown ? 1 : 0);
}

int diff(const Options& options) {
    auto a = load(options.files[0], options);
    auto b = a ? load(options.files[1], options) : nullptr;
    if (!a || !b) return 2;
    ConfigDiff d = diffConfigs(a.get(), b.get());
    std::fputs(options.json ? diffJson(d).c_str() : diffText(d).c_str(), stdout);
    return d.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    CLI::App app{"vorlix-config: checks, migrates, normalises and compares configuration files.", "vorlix-config"};
    app.require_subcommand(1);
    app.add_flag("--json", options.json, "write JSON (for jq) instead of text");
    app.add_option("--module", options.modules, "load module NAME too, so that its sorts and updates are known")
        ->type_name("NAME");
    app.add_option("--modules", options.modulesDir, "directory searched first for module libraries")
        ->check(CLI::ExistingDirectory)
        ->type_name("DIR");
    auto* checkCmd = app.add_subcommand("check", "decode FILE; report its header type and what apply would skip");
    checkCmd->add_option("FILE", options.files, "configuration file")->required()->expected(1);
    auto* migrateCmd = app.add_subcommand("migrate", "run the registered updates over FILE and print the result");
    migrateCmd->add_option("FILE", options.files, "configuration file")->required()->expected(1);
    migrateCmd->add_option("-o,--output", options.output, "write the result to OUT instead")->type_name("OUT");
    auto* normalizeCmd = app.add_subcommand("normalize", "pass every object's configuration through its sort");
    normalizeCmd->add_option("FILE", options.files, "configuration file")->required()->expected(1);
    normalizeCmd->add_option("-o,--output", options.output, "write the result to OUT instead")->type_name("OUT");
    normalizeCmd->add_flag("--complete", options.complete, "write values that are at their defaults as well");
    auto* diffCmd = app.add_subcommand("diff", "modules and objects added, removed and changed from A to B");
    diffCmd->add_option("FILES", options.files, "configuration files A and B")->required()->expected(2);
    FleetCommand fleet;
    fleet.add(app);
    if (auto status = vorlix::tools::parseCommandLine(app, argc, argv)) return *status;

    pbRuntimeSetManualClock(PB_TRUE);  // nothing runs in the background
    auto paths = pb::adopt(pbRuntimePathsCreate());
    if (!options.modulesDir.empty())
        pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_MODULES, options.modulesDir.c_str(), -1);
    pbRuntimeStart(paths.get());
    int status = 0;
    std::vector<std::string> names{"cs"};
    names.insert(names.end(), options.modules.begin(), options.modules.end());
    for (const auto& name : names) {
        auto string = makeString(name);
        PB_STRING* reason = nullptr;
        if (!pbModuleNameOk(string.get()) || !pbRuntimeLoadModuleWithReason(string.get(), &reason)) {
            std::fprintf(stderr, "vorlix-config: cannot load module %s: %s\n", name.c_str(),
                         reason ? utf8(reason).c_str() : "not a module name");
            status = 2;
        }
        if (reason) pbStringRelease(reason);
    }
    if (status == 0) {
        if (checkCmd->parsed()) status = check(options);
        else if (migrateCmd->parsed()) status = migrate(options);
        else if (normalizeCmd->parsed()) status = normalize(options);
        else if (fleet.parsed()) status = fleet.run(options.json);
        else status = diff(options);
    }
    pbRuntimeStop();
    pbRuntimeExecutorShutdown();
    return status;
}
