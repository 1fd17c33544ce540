// The process's runtime: module loading and the lifecycle hooks, paths and
// runtime information.
#include "pb/pb_runtime.h"

#include <ctime>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_string.h"

namespace {

// Lock order: loadLock before stateLock. Hooks run with loadLock held (so
// loads and stops never interleave) but never with stateLock held.
std::recursive_mutex loadLock;
std::mutex stateLock;

struct State {
    bool started = false;
    std::vector<PB_MODULE*> modules;  // load order; descriptors are immortal
    std::vector<std::string> loading;  // names being loaded (cycle guard)
    std::string failure;               // why the last load failed (by loadLock)
    pb::Ref<PB_RUNTIME_PATHS> paths;
    std::time_t startTime = 0;
};
State state;  // guarded by stateLock (loading: by loadLock)

std::string utf8(PB_STRING* s) {
    PB_INT n = 0;
    char* c = pbStringConvertToCstr(s, &n);
    std::string out(c, size_t(n));
    pb___MemFree(c);
    return out;
}

PB_MODULE* findLoaded(const std::string& name) {
    std::lock_guard guard(stateLock);
    for (PB_MODULE* m : state.modules)
        if (name == pbModuleNameCstr(m)) return m;
    return nullptr;
}

std::string folderOfRuntimeLibrary() {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&pbRuntimeStart), &info) || !info.dli_fname) return "";
    std::string path = info.dli_fname;
    auto slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

// The descriptor of module name: already in the process, or from its
// library. Libraries stay loaded for the life of the process. When there is
// none, state.failure says what the loader reported for each place tried.
PB_MODULE* findDescriptor(const std::string& name) {
    std::string symbol = name + "___module";
    if (void* sym = dlsym(RTLD_DEFAULT, symbol.c_str())) return static_cast<PB_MODULE*>(sym);
    std::string file = "libvorlix-" + name + ".so";
    std::vector<std::string> candidates;
    auto paths = pb::adopt(pbRuntimePaths());
    if (auto dir = pb::adopt(pbRuntimePathsPath(paths.get(), PB_RUNTIME_PATH_MODULES)))
        candidates.push_back(utf8(dir.get()) + "/" + file);
    std::string own = folderOfRuntimeLibrary();
    if (!own.empty()) candidates.push_back(own + "/" + file);
    candidates.push_back(file);
    std::string notFound, failures;
    for (const auto& candidate : candidates) {
        void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_GLOBAL);
        if (!handle) {
            // A library that exists but cannot be loaded (an undefined
            // symbol, a wrong architecture) matters more than one that is
            // simply not in that folder.
            const char* error = dlerror();
            bool exists = candidate.find('/') != std::string::npos ? ::access(candidate.c_str(), F_OK) == 0
                                                                   : error && !std::string(error).ends_with("No such file or directory");
            if (exists) failures += (failures.empty() ? "" : "; ") + std::string(error ? error : candidate);
            else notFound += (notFound.empty() ? "" : ", ") + candidate;
            continue;
        }
        if (void* sym = dlsym(handle, symbol.c_str())) return static_cast<PB_MODULE*>(sym);
        failures += (failures.empty() ? "" : "; ") + candidate + " has no module descriptor " + symbol;
        dlclose(handle);
    }
    state.failure = !failures.empty() ? failures : file + " not found (looked for " + notFound + ")";
    return nullptr;
}

PB_MODULE* load(const std::string& name) {
    if (PB_MODULE* m = findLoaded(name)) return m;
    for (const auto& n : state.loading)
        if (n == name) {  // a cycle in the used-module lists
            state.failure = "module " + name + " uses itself through its used modules";
            return nullptr;
        }
    PB_MODULE* module = findDescriptor(name);
    if (!module) return nullptr;
    if (!module->record || name != module->record->moduleName) {
        state.failure = "the descriptor " + name + "___module does not describe module " + name;
        return nullptr;
    }
    state.loading.push_back(name);
    // Modules this one uses come first.
    bool usable = true;
    std::string uses = module->record->usesModules ? module->record->usesModules : "";
    size_t at = 0;
    while (usable && at < uses.size()) {
        size_t end = uses.find(' ', at);
        if (end == std::string::npos) end = uses.size();
        std::string used = uses.substr(at, end - at);
        at = end + 1;
        if (!used.empty() && !load(used)) {
            usable = false;
            state.failure = "module " + used + ", which it uses, did not load: " + state.failure;
        }
    }
    state.loading.pop_back();
    if (!usable) return nullptr;
    if (module->startupFunc && !module->startupFunc()) {
        state.failure = "its start-up hook failed";
        return nullptr;
    }
    std::lock_guard guard(stateLock);
    state.modules.push_back(module);
    return module;
}

std::string isoTime(std::time_t t) {
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buf;
}

}  // namespace

extern "C" PB_EXPORT void pbRuntimeStart(PB_RUNTIME_PATHS* paths) {
    std::lock_guard load(loadLock);
    std::lock_guard guard(stateLock);
    PB_ASSERT(!state.started);
    state.started = true;
    state.startTime = std::time(nullptr);
    state.modules.assign(1, &pb___module);
    state.paths = paths ? pb::retain(paths) : pb::adopt(pbRuntimePathsCreate());
}

extern "C" PB_EXPORT void pbRuntimeStop(void) {
    std::lock_guard load(loadLock);
    std::vector<PB_MODULE*> modules;
    {
        std::lock_guard guard(stateLock);
        PB_ASSERT(state.started);
        modules = state.modules;
    }
    for (auto it = modules.rbegin(); it != modules.rend(); ++it)
        if ((*it)->haltFunc) (*it)->haltFunc();
    for (auto it = modules.rbegin(); it != modules.rend(); ++it)
        if ((*it)->shutdownFunc) (*it)->shutdownFunc();
    for (auto it = modules.rbegin(); it != modules.rend(); ++it)
        if ((*it)->finalReleaseFunc) (*it)->finalReleaseFunc();
    std::lock_guard guard(stateLock);
    state.modules.clear();
    state.paths.reset();
    state.started = false;
}

extern "C" PB_EXPORT PB_BOOL pbRuntimeStarted(void) {
    std::lock_guard guard(stateLock);
    return state.started;
}

extern "C" PB_EXPORT PB_MODULE* pbRuntimeLoadModule(PB_STRING* name) {
    PB_ASSERT(pbModuleNameOk( name ));
    PB_ASSERT(pbRuntimeStarted());
    std::lock_guard load(loadLock);
    return ::load(utf8(name));
}

extern "C" PB_EXPORT PB_MODULE* pbRuntimeLoadModuleWithReason(PB_STRING* name, PB_STRING** reason) {
    PB_ASSERT(pbModuleNameOk( name ));
    PB_ASSERT(pbRuntimeStarted());
    std::lock_guard load(loadLock);
    state.failure.clear();
    PB_MODULE* module = ::load(utf8(name));
    if (reason) {
        *reason = nullptr;
        if (!module) *reason = pbStringCreateFromCstr(state.failure.c_str(), PB_INT(state.failure.size()));
    }
    return module;
}

extern "C" PB_EXPORT PB_MODULE* pbRuntimeLoadModuleCstr(const char* name, PB_INT length) {
    PB_ASSERT(name);
    auto s = pb::adopt(pbStringCreateFromCstr(name, length));
    return pbRuntimeLoadModule(s.get());
}

extern "C" PB_EXPORT PB_MODULE* pbRuntimeModule(PB_STRING* name) {
    PB_ASSERT(name);
    return findLoaded(utf8(name));
}

extern "C" PB_EXPORT PB_VECTOR* pbRuntimeModulesVector(void) {
    PB_VECTOR* vec = pbVectorCreate();
    std::lock_guard guard(stateLock);
    for (PB_MODULE* m : state.modules) pbVectorAppendObj(&vec, pbModuleObj(m));
    return vec;
}

extern "C" PB_EXPORT PB_STORE* pbRuntimeInfo(void) {
    const PB_MODULE_RECORD* r = pb___module.record;
    std::time_t start;
    {
        std::lock_guard guard(stateLock);
        start = state.startTime;
    }
    struct utsname un {};
    uname(&un);
    PB_STORE* info = pbStoreCreate();
    auto set = [&](const char* key, const std::string& value) {
        auto s = pb::adopt(pbStringCreateFromCstr(value.c_str(), PB_INT(value.size())));
        pbStoreSetValueCstr(&info, key, -1, s.get());
    };
    set("product", r->productName);
    set("productVersion", std::to_string(r->productVersionMajor) + "." + std::to_string(r->productVersionMinor) +
                              "." + std::to_string(r->productVersionPatch));
    set("platform", std::string(un.sysname) + " " + un.machine);
    set("startTime", isoTime(start));
    pbStoreSetValueIntCstr(&info, "processId", -1, PB_INT(::getpid()));
    return info;
}

extern "C" PB_EXPORT PB_RUNTIME_PATHS* pbRuntimePaths(void) {
    std::lock_guard guard(stateLock);
    if (!state.paths) return pbRuntimePathsCreate();
    return pbRuntimePathsRetain(state.paths.get());
}

extern "C" PB_EXPORT void pbRuntimeSetPaths(PB_RUNTIME_PATHS* paths) {
    PB_ASSERT(paths);
    std::lock_guard guard(stateLock);
    state.paths = pb::retain(paths);
}
